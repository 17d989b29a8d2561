#include "telemetry/TQTMLogContainer.h"

#include "telemetry/TQTMAbstractLog.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMUtility.h"

TQTMLogContainer::TQTMLogContainer(std::optional<std::string> batchId,
                                   std::vector<std::shared_ptr<TQTMAbstractLog>> logs)
    : batchId_(std::move(batchId)), logs_(std::move(logs))
{}

std::optional<std::string> TQTMLogContainer::serializeLog() const
{
    return serializeLogWithPrettyPrinting(false);
}

std::optional<std::string> TQTMLogContainer::serializeLogWithPrettyPrinting(bool prettyPrint) const
{
    TQTMJson logs = TQTMJson::array();
    for (const auto& log : logs_) {
        if (!log)
            continue;
        TQTMJson dictionary = log->serializeToDictionary();
        if (!dictionary.is_null())
            logs.push_back(std::move(dictionary));
    }
    return TQTMUtility::jsonText(TQTMJson{{"logs", std::move(logs)}}, prettyPrint);
}

bool TQTMLogContainer::isValid() const
{
    if (logs_.empty()) {
        TQTMLogVerbose(kTQTMCoreLogTag, "TQTMLogContainer: there are no logs in container.");
        return false;
    }
    for (const auto& log : logs_)
        if (!log || !log->isValid())
            return false;
    return true;
}
