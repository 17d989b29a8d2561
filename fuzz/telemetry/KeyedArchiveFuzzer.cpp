// libFuzzer target for the telemetry client's keyed archives: stored logs and the histories in the
// defaults come back from disk, where anything may have damaged them. Every reading path must
// refuse damaged bytes as a value, never crash; whatever reads is archived again, so the writer
// sees hostile values too.
#include "platform/system/KeyedArchiver.h"
#include "telemetry/TQTMAbstractLog.h"
#include "telemetry/TQTMArchiverUtil.h"
#include "telemetry/TQTMDeviceHistoryInfo.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMSessionHistoryInfo.h"
#include "telemetry/TQTMUserIdHistoryInfo.h"
#include "telemetry/TQTMUtility.h"

#include <cstdint>

namespace {

template <class T>
void readArrayAndRoundTrip(const TQTMData& data)
{
    const auto objects = TQTMUtility::unarchiveKeyedArray<T>(data);
    if (!objects)
        return;
    if (const std::optional<TQTMData> again = TQTMUtility::archiveKeyedArray(*objects))
        (void)TQTMUtility::unarchiveKeyedArray<T>(*again);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        TQTMLogger::setLogHandler({});
        TQTMArchiverUtil::addAllowedTelemetryModuleClasses();
        return true;
    }();
    (void)ready;
    const TQTMData bytes(data, data + size);
    if (auto log = TQTMUtility::unarchiveKeyedData<TQTMAbstractLog>(bytes)) {
        if (const std::optional<TQTMData> again = TQTMUtility::archiveKeyedData(log.get()))
            (void)TQTMUtility::unarchiveKeyedData<TQTMAbstractLog>(*again);
        (void)log->serializeLogWithPrettyPrinting(false);
    }
    readArrayAndRoundTrip<TQTMSessionHistoryInfo>(bytes);
    readArrayAndRoundTrip<TQTMUserIdHistoryInfo>(bytes);
    readArrayAndRoundTrip<TQTMDeviceHistoryInfo>(bytes);
    return 0;
}
