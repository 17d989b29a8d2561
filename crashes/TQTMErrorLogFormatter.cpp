#include "crashes/TQTMErrorLogFormatter.h"

#include "crashcapture/TQCrashReport.h"
#include "crashes/TQTMAppleErrorLog.h"
#include "crashes/TQTMBinary.h"
#include "crashes/TQTMErrorReport.h"
#include "crashes/TQTMExceptionModel.h"
#include "crashes/TQTMStackFrame.h"
#include "crashes/TQTMThread.h"
#include "crashes/TQTMWrapperException.h"
#include "crashes/TQTMWrapperExceptionManager.h"
#include "platform/system/Uuid.h"
#include "telemetry/TQTMDevice.h"
#include "telemetry/TQTMDeviceTracker.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMTelemetry.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <filesystem>

using namespace tqcrash;

namespace {

constexpr const char* kLogTag = "TelemetryCrashes";
constexpr uint64_t kCpuTypeX86 = 7;
constexpr uint64_t kCpuTypeArm = 12;
constexpr uint64_t kCpuTypePowerPC = 18;
constexpr uint64_t kCpuTypeX86_64 = 0x1000007;
constexpr uint64_t kCpuTypeArm64 = 0x100000C;
constexpr const char* kUnknown = "???";

std::string lowercased(std::string text)
{
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

sonvale::TimePoint timePointOf(TQCrashReportDate date)
{
    return sonvale::TimePoint(std::chrono::duration_cast<sonvale::TimePoint::duration>(
        date.time_since_epoch()));
}

std::optional<std::string> processPathOf(const TQCrashReport& report)
{
    return report.processInfo() ? report.processInfo()->processPath() : std::nullopt;
}

// Every "<prefix><name>/" becomes "<prefix>USER/".
std::string replacingUserFolders(const std::string& path, const std::string& prefix)
{
    std::string result;
    size_t from = 0;
    for (size_t at = path.find(prefix); at != std::string::npos; at = path.find(prefix, from)) {
        const size_t nameStart = at + prefix.size();
        const size_t slash = path.find('/', nameStart);
        if (slash == std::string::npos || slash == nameStart) {
            result += path.substr(from, nameStart - from);
            from = nameStart;
            continue;
        }
        result += path.substr(from, at - from) + prefix + "USER/";
        from = slash + 1;
    }
    return result + path.substr(from);
}

} // namespace

std::shared_ptr<TQTMAppleErrorLog>
TQTMErrorLogFormatter::errorLogFromCrashReport(const TQCrashReport& report)
{
    auto log = std::make_shared<TQTMAppleErrorLog>();
    log->setErrorId(errorIdForCrashReport(report));
    addProcessInfoAndApplicationPathTo(*log, report);

    const TQCrashReportThreadInfo* crashedThread = findCrashedThreadInReport(report);
    log->setErrorThreadId(crashedThread ? crashedThread->threadNumber() : 0);
    log->setFatal(true);

    log->setAppLaunchTimestamp(getAppLaunchTimeFromReport(report));
    std::optional<sonvale::TimePoint> crashTime = getCrashTimeFromReport(report);
    // A time of whole seconds lies somewhere within that second; its end keeps the crash after
    // every log of the same second.
    if (crashTime && crashTime->time_since_epoch() % std::chrono::seconds(1) ==
                         sonvale::TimePoint::duration::zero())
        *crashTime += std::chrono::milliseconds(999);
    log->setTimestamp(crashTime);

    uint64_t cpuType = 0;
    uint64_t cpuSubtype = 0;
    if (report.machineInfo() && report.machineInfo()->processorInfo()) {
        cpuType = report.machineInfo()->processorInfo()->type();
        cpuSubtype = report.machineInfo()->processorInfo()->subtype();
    }
    for (const TQCrashReportBinaryImageInfo& image : report.images()) {
        if (image.codeType() &&
            image.codeType()->typeEncoding() == TQCrashReportProcessorTypeEncoding::Mach) {
            cpuType = image.codeType()->type();
            cpuSubtype = image.codeType()->subtype();
            break;
        }
    }
    const bool is64bit = isCodeType64bit(cpuType);
    log->setPrimaryArchitectureId(cpuType);
    log->setArchitectureVariantId(cpuSubtype);

    const TQCrashReportSignalInfo& signal = report.signalInfo();
    log->setOsExceptionType(signal.name());
    log->setOsExceptionCode(signal.code());
    char address[32];
    std::snprintf(address, sizeof address, "0x%" PRIx64, signal.address());
    log->setOsExceptionAddress(std::string(address));

    log->setExceptionReason(extractExceptionReasonFromReport(report));
    if (report.exceptionInfo())
        log->setExceptionType(report.exceptionInfo()->exceptionName());

    log->setThreads(extractThreadsFromReport(report, crashedThread, is64bit));
    log->setRegisters(extractRegistersFromCrashedThread(crashedThread, is64bit));
    log->setBinaries(extractBinaryImagesFromReport(report, is64bit));
    log->setDevice(deviceForTimestampCrashReport(log->timestamp(), report));
    if (const auto uuid = uuidRefToString(report))
        if (const auto wrapperException = TQTMWrapperExceptionManager::loadWrapperExceptionWithUUIDString(*uuid))
            log->setException(wrapperException->modelException());
    return log;
}

std::shared_ptr<TQTMErrorReport>
TQTMErrorLogFormatter::errorReportFromCrashReport(const TQCrashReport* report)
{
    return report ? errorReportFromLog(*errorLogFromCrashReport(*report)) : nullptr;
}

std::shared_ptr<TQTMErrorReport> TQTMErrorLogFormatter::errorReportFromLog(const TQTMAppleErrorLog& log)
{
    const std::optional<uint64_t>& type = log.primaryArchitectureId();
    const std::optional<uint64_t>& subtype = log.architectureVariantId();
    return std::make_shared<TQTMErrorReport>(
        log.errorId(), TQTMTelemetry::installId().toString(), log.osExceptionType(),
        log.exceptionType(), log.exceptionReason(), log.appLaunchTimestamp(), log.timestamp(),
        type ? convertCodeTypeToString(*type) : kUnknown,
        type && subtype ? convertArchNameToString(*type, static_cast<uint32_t>(*subtype)) : kUnknown,
        log.applicationPath(), log.threads(), log.binaries(), log.device(),
        static_cast<uint64_t>(log.processId().value_or(0)));
}

std::string TQTMErrorLogFormatter::errorIdForCrashReport(const TQCrashReport& report)
{
    return uuidRefToString(report).value_or(sonvale::Uuid::random().toString());
}

TQTMAppleErrorLog&
TQTMErrorLogFormatter::addProcessInfoAndApplicationPathTo(TQTMAppleErrorLog& log,
                                                          const TQCrashReport& report)
{
    log.setProcessId(0);
    log.setProcessName(kUnknown);
    log.setParentProcessName(kUnknown);
    log.setParentProcessId(std::nullopt);
    log.setApplicationPath(kUnknown);
    if (const auto& process = report.processInfo()) {
        log.setProcessId(static_cast<int64_t>(process->processID()));
        if (process->processName())
            log.setProcessName(process->processName());
        if (process->processPath())
            log.setApplicationPath(anonymizedPathFromPath(*process->processPath()));
        if (process->parentProcessName())
            log.setParentProcessName(process->parentProcessName());
        log.setParentProcessId(static_cast<int64_t>(process->parentProcessID()));
    }
    return log;
}

std::string TQTMErrorLogFormatter::convertCodeTypeToString(uint64_t cpuType)
{
    switch (cpuType) {
    case kCpuTypeX86:
        return "X86";
    case kCpuTypeArm:
        return "ARM";
    case kCpuTypePowerPC:
        return "PPC";
    case kCpuTypeX86_64:
        return "X86-64";
    case kCpuTypeArm64:
        return "ARM-64";
    default:
        return "Unknown (" + std::to_string(cpuType) + ")";
    }
}

std::string TQTMErrorLogFormatter::convertArchNameToString(uint64_t cpuType, uint64_t cpuSubtype)
{
    const uint64_t subtype = cpuSubtype & 0xFFFFFF;
    switch (cpuType) {
    case kCpuTypeX86:
        return "i386";
    case kCpuTypeArm:
        return subtype == 6 ? "armv6" : subtype == 9 ? "armv7" : subtype == 11 ? "armv7s" : "arm-unknown";
    case kCpuTypePowerPC:
        return "powerpc";
    case kCpuTypeX86_64:
        return "x86_64";
    case kCpuTypeArm64:
        return subtype == 0 ? "arm64" : subtype == 1 ? "armv8" : subtype == 2 ? "arm64e" : "arm64-unknown";
    default:
        return kUnknown;
    }
}

std::optional<sonvale::TimePoint>
TQTMErrorLogFormatter::getAppLaunchTimeFromReport(const TQCrashReport& report)
{
    if (report.processInfo()) {
        const auto& start = report.processInfo()->processStartTime();
        return start ? std::optional(timePointOf(*start)) : std::nullopt;
    }
    return getCrashTimeFromReport(report);
}

std::optional<sonvale::TimePoint>
TQTMErrorLogFormatter::getCrashTimeFromReport(const TQCrashReport& report)
{
    const auto& timestamp = report.systemInfo().timestamp();
    return timestamp ? std::optional(timePointOf(*timestamp)) : std::nullopt;
}

std::vector<std::shared_ptr<TQTMThread>>
TQTMErrorLogFormatter::extractThreadsFromReport(const TQCrashReport& report,
                                                const TQCrashReportThreadInfo* crashedThread,
                                                bool is64bit)
{
    std::shared_ptr<TQTMExceptionModel> exception;
    const auto& info = report.exceptionInfo();
    if (info && info->stackFrames() && !info->stackFrames()->empty()) {
        exception = std::make_shared<TQTMExceptionModel>();
        exception->setMessage(info->exceptionReason());
        exception->setType(!info->exceptionName().empty() ? info->exceptionName()
                                                          : report.signalInfo().name());
        TQTMExceptionModel::Frames frames;
        for (const TQCrashReportStackFrameInfo& frame : *info->stackFrames()) {
            auto model = std::make_shared<TQTMStackFrame>();
            model->setAddress(formatAddressIs64bit(frame.instructionPointer(), is64bit));
            frames.push_back(std::move(model));
        }
        exception->setFrames(std::move(frames));
    }
    std::vector<std::shared_ptr<TQTMThread>> threads;
    for (const TQCrashReportThreadInfo& reported : report.threads()) {
        auto thread = std::make_shared<TQTMThread>();
        thread->setThreadId(reported.threadNumber());
        if (crashedThread && exception && reported.threadNumber() == crashedThread->threadNumber())
            thread->setException(exception);
        for (const TQCrashReportStackFrameInfo& frame : reported.stackFrames()) {
            auto model = std::make_shared<TQTMStackFrame>();
            model->setAddress(formatAddressIs64bit(frame.instructionPointer(), is64bit));
            model->setCode(formatStackFrame(frame, report));
            thread->addFrame(std::move(model));
        }
        threads.push_back(std::move(thread));
    }
    return threads;
}

std::string TQTMErrorLogFormatter::formatStackFrame(const TQCrashReportStackFrameInfo& frame,
                                                    const TQCrashReport& report)
{
    const uint64_t pc = frame.instructionPointer();
    const TQCrashReportBinaryImageInfo* image = report.imageForAddress(pc);
    uint64_t base = 0;
    uint64_t offset = 0;
    if (image) {
        base = image->imageBaseAddress();
        offset = pc - base;
    } else if (pc != 0) {
        char line[64];
        std::snprintf(line, sizeof line, "Cannot find image for 0x%" PRIx64, pc);
        TQTMLogWarning(kLogTag, line);
    }
    const ImageType kind = imageTypeForImagePathProcessPath(
        image ? std::optional(image->imageName()) : std::nullopt, processPathOf(report));
    char text[96];
    if (kind == ImageTypeOther && frame.symbolInfo()) {
        std::string name = frame.symbolInfo()->symbolName();
        if (name.size() >= 2 && name[0] == '_') {
            switch (report.systemInfo().operatingSystem()) {
            case TQCrashReportOperatingSystem::MacOSX:
            case TQCrashReportOperatingSystem::iPhoneOS:
            case TQCrashReportOperatingSystem::iPhoneSimulator:
            case TQCrashReportOperatingSystem::AppleTVOS:
                name.erase(0, 1);
                break;
            case TQCrashReportOperatingSystem::Unknown:
                TQTMLogWarning(kLogTag,
                               "Symbol \"" + name + "\" prefix rules are unknown for this OS!");
                break;
            }
        }
        std::snprintf(text, sizeof text, " + %" PRId64,
                      static_cast<int64_t>(pc - frame.symbolInfo()->startAddress()));
        return name + text;
    }
    std::snprintf(text, sizeof text, "0x%" PRIx64 " + %" PRId64, base, static_cast<int64_t>(offset));
    return text;
}

std::map<std::string, std::string>
TQTMErrorLogFormatter::extractRegistersFromCrashedThread(const TQCrashReportThreadInfo* crashedThread,
                                                         bool is64bit)
{
    std::map<std::string, std::string> registers;
    if (crashedThread)
        for (const TQCrashReportRegisterInfo& info : crashedThread->registers())
            registers[info.registerName()] = formatAddressIs64bit(info.registerValue(), is64bit);
    return registers;
}

std::optional<std::string>
TQTMErrorLogFormatter::extractExceptionReasonFromReport(const TQCrashReport& report)
{
    if (report.exceptionInfo())
        return report.exceptionInfo()->exceptionReason();
    return std::nullopt;
}

std::vector<std::shared_ptr<TQTMBinary>>
TQTMErrorLogFormatter::extractBinaryImagesFromReport(const TQCrashReport& report, bool is64bit)
{
    const std::vector<uint64_t> addresses = addressesFromReport(report);
    std::vector<const TQCrashReportBinaryImageInfo*> images;
    for (const TQCrashReportBinaryImageInfo& image : report.images())
        images.push_back(&image);
    std::ranges::stable_sort(images, {}, &TQCrashReportBinaryImageInfo::imageBaseAddress);

    const std::optional<std::string> processPath = processPathOf(report);
    std::vector<std::shared_ptr<TQTMBinary>> binaries;
    for (const TQCrashReportBinaryImageInfo* image : images) {
        const uint64_t base = image->imageBaseAddress();
        const uint64_t end = base + std::max<uint64_t>(image->imageSize(), 1) - 1;
        if (!isBinaryWithStartEndInAddresses(base, end, addresses) &&
            imageTypeForImagePathProcessPath(image->imageName(), processPath) == ImageTypeOther)
            continue;
        auto binary = std::make_shared<TQTMBinary>();
        binary->setBinaryId(image->imageUUID().value_or(kUnknown));
        binary->setStartAddress(formatAddressIs64bit(base, is64bit));
        binary->setEndAddress(formatAddressIs64bit(end, is64bit));
        binary->setPath(anonymizedPathFromPath(image->imageName()));
        const std::string name = std::filesystem::path(image->imageName()).filename().string();
        binary->setName(name.empty() ? kUnknown : name);
        if (image->codeType()) {
            binary->setPrimaryArchitectureId(image->codeType()->type());
            binary->setArchitectureVariantId(image->codeType()->subtype());
        }
        binaries.push_back(std::move(binary));
    }
    return binaries;
}

bool TQTMErrorLogFormatter::isBinaryWithStartEndInAddresses(uint64_t start, uint64_t end,
                                                            const std::vector<uint64_t>& addresses)
{
    return std::ranges::any_of(addresses,
                               [&](uint64_t address) { return start <= address && address <= end; });
}

std::vector<uint64_t> TQTMErrorLogFormatter::addressesFromReport(const TQCrashReport& report)
{
    std::vector<uint64_t> addresses;
    if (report.exceptionInfo() && report.exceptionInfo()->stackFrames())
        for (const TQCrashReportStackFrameInfo& frame : *report.exceptionInfo()->stackFrames())
            addresses.push_back(frame.instructionPointer());
    for (const TQCrashReportThreadInfo& thread : report.threads()) {
        for (const TQCrashReportStackFrameInfo& frame : thread.stackFrames())
            addresses.push_back(frame.instructionPointer());
        for (const TQCrashReportRegisterInfo& info : thread.registers())
            addresses.push_back(info.registerValue());
    }
    return addresses;
}

TQTMErrorLogFormatter::ImageType
TQTMErrorLogFormatter::imageTypeForImagePathProcessPath(const std::optional<std::string>& imagePath,
                                                        const std::optional<std::string>& processPath)
{
    if (!imagePath || !processPath)
        return ImageTypeOther;
    const std::string standardized =
        lowercased(std::filesystem::path(*imagePath).lexically_normal().string());
    const std::string raw = lowercased(*imagePath);
    const std::string process = lowercased(*processPath);
    const size_t bundleEnd = standardized.find(".app/");
    if (bundleEnd == std::string::npos ||
        (standardized.find("frameworks/libswift") != std::string::npos &&
         endsWith(standardized, ".dylib")))
        return ImageTypeOther;
    const std::string bundlePrefix = standardized.substr(0, bundleEnd + 5);
    if (standardized == process || startsWith(raw, process))
        return ImageTypeProcess;
    if (startsWith(standardized, bundlePrefix) || startsWith(raw, bundlePrefix))
        return ImageTypeBundle;
    return ImageTypeOther;
}

std::string TQTMErrorLogFormatter::anonymizedPathFromPath(const std::string& path)
{
    if (path.empty())
        return "";
    // A user's home folder: "/Users/<name>/" on macOS, "/home/<name>/" here.
    for (const std::string prefix : {"/Users/", "/home/"})
        if (startsWith(path, prefix))
            return replacingUserFolders(path, prefix);
    if (path.find("Users") != std::string::npos)
        return "";
    return path;
}

std::shared_ptr<TQTMDevice>
TQTMErrorLogFormatter::deviceForTimestampCrashReport(const std::optional<sonvale::TimePoint>& timestamp,
                                                     const TQCrashReport& report)
{
    const std::shared_ptr<TQTMDevice> tracked =
        TQTMDeviceTracker::sharedInstance()->deviceForTimestamp(timestamp);
    const TQTMDevice none;
    const TQTMDevice& from = tracked ? *tracked : none;
    auto orTracked = [](const std::optional<std::string>& own,
                        const std::optional<std::string>& fallback) {
        return own && !own->empty() ? own : fallback;
    };
    auto device = std::make_shared<TQTMDevice>();
    device->setOsVersion(orTracked(report.systemInfo().operatingSystemVersion(), from.osVersion()));
    device->setOsBuild(orTracked(report.systemInfo().operatingSystemBuild(), from.osBuild()));
    device->setModel(orTracked(report.machineInfo() ? report.machineInfo()->modelName() : std::nullopt,
                               from.model()));
    const TQCrashReportApplicationInfo& application = report.applicationInfo();
    device->setAppBuild(orTracked(application.applicationVersion(), from.appBuild()));
    device->setAppVersion(orTracked(application.applicationMarketingVersion(), from.appVersion()));
    device->setAppNamespace(orTracked(application.applicationIdentifier(), from.appNamespace()));
    device->setSdkName(from.sdkName());
    device->setSdkVersion(from.sdkVersion());
    device->setOemName(from.oemName());
    device->setOsName(from.osName());
    device->setOsApiLevel(from.osApiLevel());
    device->setLocale(from.locale());
    device->setTimeZoneOffset(from.timeZoneOffset());
    device->setScreenSize(from.screenSize());
    device->setCarrierName(from.carrierName());
    device->setCarrierCountry(from.carrierCountry());
    device->setWrapperSdkName(from.wrapperSdkName());
    device->setWrapperSdkVersion(from.wrapperSdkVersion());
    device->setWrapperRuntimeVersion(from.wrapperRuntimeVersion());
    device->setLiveUpdatePackageHash(from.liveUpdatePackageHash());
    device->setLiveUpdateReleaseLabel(from.liveUpdateReleaseLabel());
    device->setLiveUpdateDeploymentKey(from.liveUpdateDeploymentKey());
    return device;
}

const TQCrashReportThreadInfo*
TQTMErrorLogFormatter::findCrashedThreadInReport(const TQCrashReport& report)
{
    for (const TQCrashReportThreadInfo& thread : report.threads())
        if (thread.crashed())
            return &thread;
    return nullptr;
}

bool TQTMErrorLogFormatter::isCodeType64bit(uint64_t cpuType)
{
    return cpuType == kCpuTypeX86_64 || cpuType == kCpuTypeArm64;
}

std::optional<std::string> TQTMErrorLogFormatter::uuidRefToString(const TQCrashReport& report)
{
    if (!report.uuidRef())
        return std::nullopt;
    return sonvale::Uuid(*report.uuidRef()).toString();
}

std::string TQTMErrorLogFormatter::formatAddressIs64bit(uint64_t address, bool is64bit)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*" PRIx64, is64bit ? 16 : 8, address);
    return text;
}
