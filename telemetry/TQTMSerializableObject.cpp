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
