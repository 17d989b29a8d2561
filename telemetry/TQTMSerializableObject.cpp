#include "telemetry/TQTMSerializableObject.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"
#include "telemetry/TQTMLogger.h"

bool TQTMReportInvalidField(std::string_view className, std::string_view field)
{
    TQTMLogVerbose(kTQTMCoreLogTag,
                   std::string(className) + ": \"" + std::string(field) + "\" is not valid.");
    return false;
}

void TQTMEncodeJsonText(sonvale::KeyedArchiver& coder, const std::optional<TQTMJson>& value)
{
    if (value)
        coder.encodeString(sonvale::KeyedArchiver::kRootKey,
                           value->dump(-1, ' ', false, TQTMJson::error_handler_t::replace));
}

std::optional<TQTMJson> TQTMDecodeJsonText(sonvale::KeyedUnarchiver& coder)
{
    const std::optional<std::string> text = coder.decodeString(sonvale::KeyedArchiver::kRootKey);
    if (!text)
        return std::nullopt;
    TQTMJson parsed = TQTMJson::parse(*text, nullptr, false);
    if (parsed.is_discarded())
        return std::nullopt;
    return parsed;
}
