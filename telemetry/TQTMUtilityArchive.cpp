#include "telemetry/TQTMUtility.h"

#include "telemetry/TQTMLogger.h"

std::optional<TQTMData> TQTMUtility::archiveKeyedData(const sonvale::KeyedArchivable* object)
{
    if (!object)
        return std::nullopt;
    sonvale::KeyedArchiver archiver;
    archiver.encodeObject(sonvale::KeyedArchiver::kRootKey, object);
    return archiver.finish();
}

bool TQTMUtility::unarchivingSucceeded(const sonvale::KeyedUnarchiver& unarchiver, bool gotResult)
{
    if (unarchiver.failed()) {
        TQTMLogError(kTQTMCoreLogTag,
                     "Unarchiving NSData failed with error: " + unarchiver.error());
        return false;
    }
    if (!gotResult) {
        TQTMLogError(
            kTQTMCoreLogTag,
            std::string("Unarchiving NSData failed with error: The archive holds no root object."));
        return false;
    }
    return true;
}

std::string TQTMUtility::jsonText(const TQTMJson& value, bool prettyPrint)
{
    return value.dump(prettyPrint ? 2 : -1, ' ', false, TQTMJson::error_handler_t::replace);
}
