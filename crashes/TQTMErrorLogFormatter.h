#pragma once

#include "platform/system/Clock.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tqcrash {
class TQCrashReport;
class TQCrashReportBinaryImageInfo;
class TQCrashReportStackFrameInfo;
class TQCrashReportThreadInfo;
} // namespace tqcrash
class TQTMAppleErrorLog;
class TQTMBinary;
class TQTMDevice;
class TQTMErrorReport;
class TQTMThread;

// Turns a decoded crash report of the engine into the crash log the service sends, and a crash
// log into the report the application sees: the CPU's names, the frames' code texts, which images
// are listed, how user names leave paths and which device record goes with the crash. Stateless;
// any thread.
class TQTMErrorLogFormatter final {
public:
    // The kinds of image imageTypeForImagePathProcessPath() tells apart.
    enum ImageType { ImageTypeProcess = 0, ImageTypeBundle = 1, ImageTypeOther = 2 };

    TQTMErrorLogFormatter() = delete;

    static std::shared_ptr<TQTMAppleErrorLog>
    errorLogFromCrashReport(const tqcrash::TQCrashReport& report);
    static std::shared_ptr<TQTMErrorReport>
    errorReportFromCrashReport(const tqcrash::TQCrashReport* report);
    static std::shared_ptr<TQTMErrorReport> errorReportFromLog(const TQTMAppleErrorLog& log);

    // The report's UUID as upper-case text; a new random one when it has none.
    static std::string errorIdForCrashReport(const tqcrash::TQCrashReport& report);
    static TQTMAppleErrorLog& addProcessInfoAndApplicationPathTo(TQTMAppleErrorLog& log,
                                                                 const tqcrash::TQCrashReport& report);
    static std::string convertCodeTypeToString(uint64_t cpuType);
    static std::string convertArchNameToString(uint64_t cpuType, uint64_t cpuSubtype);
    // The process's start time, or the report's time stamp when it has no process section.
    static std::optional<sonvale::TimePoint>
    getAppLaunchTimeFromReport(const tqcrash::TQCrashReport& report);
    static std::optional<sonvale::TimePoint>
    getCrashTimeFromReport(const tqcrash::TQCrashReport& report);

    static std::vector<std::shared_ptr<TQTMThread>>
    extractThreadsFromReport(const tqcrash::TQCrashReport& report,
                             const tqcrash::TQCrashReportThreadInfo* crashedThread, bool is64bit);
    // "base + offset" of the frame's image, or "symbol + offset" for a symbol of another image.
    static std::string formatStackFrame(const tqcrash::TQCrashReportStackFrameInfo& frame,
                                        const tqcrash::TQCrashReport& report);
    static std::map<std::string, std::string>
    extractRegistersFromCrashedThread(const tqcrash::TQCrashReportThreadInfo* crashedThread,
                                      bool is64bit);
    static std::optional<std::string>
    extractExceptionReasonFromReport(const tqcrash::TQCrashReport& report);
    // The executable and the images of its own folder always; other images when a frame or a
    // register points into them. By base address.
    static std::vector<std::shared_ptr<TQTMBinary>>
    extractBinaryImagesFromReport(const tqcrash::TQCrashReport& report, bool is64bit);
    static bool isBinaryWithStartEndInAddresses(uint64_t start, uint64_t end,
                                                const std::vector<uint64_t>& addresses);
    static std::vector<uint64_t> addressesFromReport(const tqcrash::TQCrashReport& report);
    static ImageType imageTypeForImagePathProcessPath(const std::optional<std::string>& imagePath,
                                                      const std::optional<std::string>& processPath);
    // The path with the user's folder name replaced by "USER" below "/Users/" and "/home/"; the
    // empty text for an empty path or one naming "Users" elsewhere.
    static std::string anonymizedPathFromPath(const std::string& path);
    static std::shared_ptr<TQTMDevice>
    deviceForTimestampCrashReport(const std::optional<sonvale::TimePoint>& timestamp,
                                  const tqcrash::TQCrashReport& report);
    static const tqcrash::TQCrashReportThreadInfo*
    findCrashedThreadInReport(const tqcrash::TQCrashReport& report);
    static bool isCodeType64bit(uint64_t cpuType);
    static std::optional<std::string> uuidRefToString(const tqcrash::TQCrashReport& report);
    static std::string formatAddressIs64bit(uint64_t address, bool is64bit);
};
