// Feeds arbitrary bytes to the crash report reader: a report file comes from disk and may be
// truncated or damaged, so every input must end in a report or a refusal, never in a fault.

#include "crashcapture/TQCrashReport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tqcrash::TQCrashReporterError error;
    const auto report = tqcrash::TQCrashReport::initWithDataError({data, size}, &error);
    if (report) {
        // Touch what a consumer reads first.
        report->imageForAddress(report->signalInfo().address());
    }
    return 0;
}
