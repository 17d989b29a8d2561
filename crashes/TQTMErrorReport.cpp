#include "crashes/TQTMErrorReport.h"

#include "crashes/TQTMBinary.h"
#include "crashes/TQTMThread.h"
#include "telemetry/TQTMDevice.h"
#include "telemetry/TQTMModelField.h"

#include <algorithm>
#include <cctype>

using namespace tqtm_detail;

TQTMErrorReport::TQTMErrorReport(
    std::optional<std::string> errorId, std::optional<std::string> reporterKey,
    std::optional<std::string> signal, std::optional<std::string> exceptionName,
    std::optional<std::string> exceptionReason, std::optional<sonvale::TimePoint> appStartTime,
    std::optional<sonvale::TimePoint> appErrorTime, std::optional<std::string> codeType,
    std::optional<std::string> archName, std::optional<std::string> applicationPath,
    std::optional<Threads> threads, std::optional<Binaries> binaries,
    std::shared_ptr<TQTMDevice> device, uint64_t appProcessIdentifier)
    : incidentIdentifier_(std::move(errorId)), reporterKey_(std::move(reporterKey)),
      signal_(std::move(signal)), exceptionName_(std::move(exceptionName)),
      exceptionReason_(std::move(exceptionReason)), appStartTime_(appStartTime),
      appErrorTime_(appErrorTime), codeType_(std::move(codeType)), archName_(std::move(archName)),
      applicationPath_(std::move(applicationPath)), threads_(std::move(threads)),
      binaries_(std::move(binaries)), device_(std::move(device)),
      appProcessIdentifier_(appProcessIdentifier)
{}

bool TQTMErrorReport::isAppKill() const
{
    if (!signal_)
        return false;
    std::string upper = *signal_;
    std::ranges::transform(upper, upper.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper == "SIGKILL";
}

TQTMJson TQTMErrorReport::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    putIfPresent(dictionary, "incidentIdentifier", incidentIdentifier_);
    putIfPresent(dictionary, "reporterKey", reporterKey_);
    putIfPresent(dictionary, "signal", signal_);
    putIfPresent(dictionary, "exceptionName", exceptionName_);
    putIfPresent(dictionary, "exceptionReason", exceptionReason_);
    putIfPresent(dictionary, "appStartTime", appStartTime_);
    putIfPresent(dictionary, "appErrorTime", appErrorTime_);
    putIfPresent(dictionary, "codeType", codeType_);
    putIfPresent(dictionary, "archName", archName_);
    putIfPresent(dictionary, "applicationPath", applicationPath_);
    putArrayIfPresent(dictionary, "threads", threads_);
    putArrayIfPresent(dictionary, "binaries", binaries_);
    putObjectIfPresent(dictionary, "device", device_);
    if (appProcessIdentifier_ != 0)
        dictionary["appProcessIdentifier"] = std::to_string(appProcessIdentifier_);
    return dictionary;
}

std::string TQTMErrorReport::description() const { return serializeToDictionary().dump(); }
