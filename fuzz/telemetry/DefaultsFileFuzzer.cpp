// libFuzzer target for the defaults file as the telemetry client reads it at launch: the file is
// the input; the stored histories inside it are keyed archives. A damaged file or value must be
// set aside or ignored, never end the process.
#include "platform/system/FakeClock.h"
#include "platform/system/UserDefaults.h"
#include "telemetry/TQTMArchiverUtil.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMSessionContext.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUserIdContext.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::filesystem::path file = [] {
        TQTMLogger::setLogHandler({});
        TQTMArchiverUtil::addAllowedTelemetryModuleClasses();
        return std::filesystem::temp_directory_path() /
               ("sonvale-defaults-fuzz-" + std::to_string(::getpid()) + ".json");
    }();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    sonvale::FakeClock clock;
    auto defaults = std::make_shared<TQTMTelemetryUserDefaults>(
        std::make_shared<sonvale::UserDefaults>(file));
    TQTMSessionContext session(defaults, clock);
    session.setSessionId("fuzz");
    TQTMUserIdContext user(defaults, clock);
    (void)user.userIdAt(clock.now());
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    std::filesystem::remove(file.string() + ".damaged", ignored);
    std::filesystem::remove(file.string() + ".lock", ignored);
    return 0;
}
