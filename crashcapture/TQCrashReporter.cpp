#include "crashcapture/TQCrashReporter.h"

#include "crashcapture/TQCrashAsyncFile.h"
#include "crashcapture/TQCrashImageList.h"
#include "crashcapture/TQCrashHostInfo.h"
#include "crashcapture/TQCrashLog.h"
#include "crashcapture/TQCrashMachExceptionPort.h"
#include "crashcapture/TQCrashMachExceptionPortSet.h"
#include "crashcapture/TQCrashProcessThreads.h"
#include "crashcapture/TQCrashSignalHandler.h"
#include "crashcapture/TQCrashThreadState.h"
#include "platform/darwin/MachPort.h"
#include "platform/system/AppInfo.h"
#include "platform/system/Exception.h"

#include <cxxabi.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <system_error>
#include <typeinfo>

namespace tqcrash {

namespace {

// The reporter's own folder below the base; it never changes, so that the next run finds the report.
constexpr const char* kDataFolderName = "com.tqcrash.reporter";
constexpr const char* kReportFileName = "live_report.tqcrash";
constexpr const char* kQueuedReportsFolderName = "queued_reports";

std::mutex gEnableMutex;
bool gSomeReporterEnabled = false;
std::atomic<int> gUncaughtExceptionSeen{0};

std::string userCacheFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/') {
        return cache;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.cache";
}

std::string temporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && folder[0] != '\0' ? folder : "/tmp";
}

// Every image of the process, and every one loaded later, before the first report is asked for.
void followProcessImages() {
    static std::once_flag once;
    std::call_once(once, [] { async::image_list_follow_process_images(&async::process_image_list()); });
}

// The C++ stand-in for an uncaught exception: the first one is recorded in what the report will
// carry, and the abort that follows writes the report through the SIGABRT handler.
[[noreturn]] void uncaught_exception_handler() {
    int expected = 0;
    if (gUncaughtExceptionSeen.compare_exchange_strong(expected, 1)) {
        if (const std::type_info* type = abi::__cxa_current_exception_type()) {
            int status = 0;
            std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type->name(), nullptr, nullptr, &status),
                                                        std::free);
            std::string reason;
            try {
                std::rethrow_exception(std::current_exception());
            } catch (const std::exception& exception) {
                reason = exception.what();
            } catch (...) {
            }
            async::tqcrash_log_writer_set_exception(&async::reporter_crash_context().writer,
                                                    name ? name.get() : type->name(), reason.c_str(), nullptr, 0);
        }
    }
    std::abort();
}

// The process's uncaught-exception handler: as above, with the name, reason and stack that the
// exception object carries.
[[noreturn]] void uncaught_platform_exception_handler(const sonvale::Exception& exception) {
    int expected = 0;
    if (gUncaughtExceptionSeen.compare_exchange_strong(expected, 1)) {
        const auto& addresses = exception.callStackReturnAddresses();
        async::tqcrash_log_writer_set_exception(&async::reporter_crash_context().writer, exception.name().c_str(),
                                                exception.reason().c_str(), addresses.data(), addresses.size());
    }
    std::abort();
}

std::optional<std::vector<std::uint8_t>> readWhole(const std::string& path, int* errorNumber) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *errorNumber = errno != 0 ? errno : ENOENT;
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What a live report writes when the thread asked for is the calling one.
struct live_write {
    async::crash_log_writer* writer;
    async::async_file* file;
    const async::crash_signal_info* signal;
};

tqcrash_error_t writeWithCallerState(async::tqcrash_async_thread_state* state, void* context) {
    const auto* live = static_cast<live_write*>(context);
    return async::crash_log_write_report(live->writer, async::current_thread_id(), &async::process_image_list(),
                                         live->file, live->signal, state, async::reporter_crash_context().threads);
}

} // namespace

TQCrashReporter& TQCrashReporter::sharedReporter() {
    static TQCrashReporter* reporter =
        new TQCrashReporter(sonvale::AppInfo::main(), TQCrashReporterConfig::defaultConfiguration());
    return *reporter;
}

TQCrashReporter::TQCrashReporter() : TQCrashReporter(TQCrashReporterConfig::defaultConfiguration()) {}

TQCrashReporter::TQCrashReporter(TQCrashReporterConfig configuration)
    : TQCrashReporter(sonvale::AppInfo::main(), std::move(configuration)) {}

namespace {

std::string identifierOf(const sonvale::AppInfo& bundle) {
    if (!bundle.bundleIdentifier().empty()) {
        return bundle.bundleIdentifier();
    }
    const char* name = program_invocation_short_name;
    if (name == nullptr || name[0] == '\0') {
        throw TQCrashReporterException("Can not determine process identifier or process name");
    }
    TQCrashLog("[TQCrashReporter] Warning -- bundle identifier, using process name %s", name);
    return name;
}

std::string versionOf(const sonvale::AppInfo& bundle) {
    if (auto version = bundle.stringForInfoDictionaryKey(sonvale::AppInfo::kVersionKey)) {
        return *version;
    }
    TQCrashLog("[TQCrashReporter] Warning -- bundle version unavailable");
    return "";
}

} // namespace

TQCrashReporter::TQCrashReporter(const sonvale::AppInfo& bundle, TQCrashReporterConfig configuration)
    : TQCrashReporter(identifierOf(bundle), versionOf(bundle),
                      bundle.stringForInfoDictionaryKey(sonvale::AppInfo::kShortVersionKey), std::move(configuration)) {}

TQCrashReporter::TQCrashReporter(std::string applicationIdentifier, std::string applicationVersion,
                                 std::optional<std::string> applicationMarketingVersion,
                                 TQCrashReporterConfig configuration)
    : config_(std::move(configuration)), applicationIdentifier_(std::move(applicationIdentifier)),
      applicationVersion_(std::move(applicationVersion)),
      applicationMarketingVersion_(std::move(applicationMarketingVersion)) {
    followProcessImages();
    std::string component = applicationIdentifier_;
    std::replace(component.begin(), component.end(), '/', '_');
    const std::string base = config_.basePath().value_or(userCacheFolder());
    crashReportDirectory_ = base + "/" + kDataFolderName + "/" + component;
    crashReportPath_ = crashReportDirectory_ + "/" + kReportFileName;
}

TQCrashReporter::~TQCrashReporter() = default;

std::string TQCrashReporter::queuedCrashReportDirectory() const {
    return crashReportDirectory_ + "/" + kQueuedReportsFolderName;
}

std::int32_t TQCrashReporter::mapToAsyncSymbolicationStrategy(std::uint64_t strategy) {
    return static_cast<std::int32_t>(strategy & 3);
}

bool TQCrashReporter::populateCrashReportDirectoryAndReturnError(TQCrashReporterError* error) {
    for (const std::string& folder : {crashReportDirectory_, queuedCrashReportDirectory()}) {
        std::error_code failure;
        std::filesystem::create_directories(folder, failure);
        if (failure) {
            crash_error_populate_posix(error, failure.value(), "Failed to create the folder " + folder);
            return false;
        }
        std::filesystem::permissions(folder, std::filesystem::perms(0755), failure);
    }
    return true;
}

void TQCrashReporter::fillWriter(async::crash_log_writer* writer, bool userRequested) const {
    async::crash_log_writer_init(writer, applicationIdentifier_.c_str(), applicationVersion_.c_str(),
                                 applicationMarketingVersion_ ? applicationMarketingVersion_->c_str() : nullptr,
                                 mapToAsyncSymbolicationStrategy(config_.symbolicationStrategy()), userRequested);
    if (customData_) {
        async::crash_log_writer_set_custom_data(writer, &*customData_);
    }
}

bool TQCrashReporter::enableCrashReporter() {
    return enableCrashReporterAndReturnError(nullptr);
}

bool TQCrashReporter::enableCrashReporterAndReturnError(TQCrashReporterError* error) {
    {
        std::lock_guard lock(gEnableMutex);
        if (gSomeReporterEnabled) {
            crash_error_populate(error, TQCrashReporterErrorCode::ReporterEnabled,
                                 "A TQCrashReporter instance has already been enabled");
            return false;
        }
        gSomeReporterEnabled = true;
    }
    if (!populateCrashReportDirectoryAndReturnError(error)) {
        return false;
    }
    async::crash_handler_context& context = async::reporter_crash_context();
    context.report_path = strdup(crashReportPath_.c_str());
    fillWriter(&context.writer, false);
    context.threads = async::process_threads_prepare();

    TQCrashSignalHandler& signals = TQCrashSignalHandler::sharedHandler();
    switch (config_.signalHandlerType()) {
    case TQCrashSignalHandlerTypeMach:
        if (!signals.registerHandlerForSignalCallbackContextError(SIGABRT, async::signal_crash_callback, &context,
                                                                  error)) {
            return false;
        }
        machServer_ = enableMachExceptionServerWithPreviousPortSetCallbackContextError(
            &previousMachPorts_, async::mach_exception_crash_callback, &context, error);
        if (machServer_ == nullptr) {
            return false;
        }
        context.previous_ports =
            previousMachPorts_ != nullptr ? previousMachPorts_->asyncSafeRepresentation() : async::tqcrash_mach_exception_port_set{};
        break;
    case TQCrashSignalHandlerTypeBSD:
        for (int signal : async::kReporterCrashSignals) {
            if (!signals.registerHandlerForSignalCallbackContextError(signal, async::signal_crash_callback, &context,
                                                                      error)) {
                return false;
            }
        }
        break;
    default:
        break;
    }
    if (config_.shouldRegisterUncaughtExceptionHandler()) {
        std::set_terminate(uncaught_exception_handler);
        sonvale::setUncaughtExceptionHandler(uncaught_platform_exception_handler);
    }
    enabled_ = true;
    return true;
}

std::unique_ptr<TQCrashMachExceptionServer> TQCrashReporter::enableMachExceptionServerWithPreviousPortSetCallbackContextError(
    std::unique_ptr<TQCrashMachExceptionPortSet>* previous, mach_exception_callback callback, void* context,
    TQCrashReporterError* error) {
    namespace darwin = sonvale::darwin;
    darwin::exception_mask_t mask = darwin::EXC_MASK_BAD_ACCESS | darwin::EXC_MASK_BAD_INSTRUCTION |
                                    darwin::EXC_MASK_ARITHMETIC | darwin::EXC_MASK_SOFTWARE |
                                    darwin::EXC_MASK_BREAKPOINT;
    if (const auto host = TQCrashHostInfo::currentHostInfo(); host != nullptr && host->darwinVersion().major >= 13) {
        mask |= darwin::EXC_MASK_GUARD;
    }
    TQCrashReporterError underlying;
    auto server = TQCrashMachExceptionServer::initWithCallBackContextError(callback, context, &underlying);
    if (server == nullptr) {
        crash_error_populate(error, TQCrashReporterErrorCode::OperatingSystem,
                             "Failed to instantiate the Mach exception server.", underlying.underlying);
        return nullptr;
    }
    const auto port = server->exceptionPortWithMaskError(mask, nullptr);
    if (port == nullptr) {
        crash_error_populate(error, TQCrashReporterErrorCode::OperatingSystem,
                             "Failed to instantiate the Mach exception port.");
        return nullptr;
    }
    if (!port->registerForTaskPreviousPortSetError(darwin::mach_task_self(), previous, nullptr)) {
        crash_error_populate(error, TQCrashReporterErrorCode::OperatingSystem,
                             "Failed to set the target task's mach exception ports.");
        return nullptr;
    }
    return server;
}

bool TQCrashReporter::hasPendingCrashReport() const {
    std::error_code failure;
    return std::filesystem::exists(crashReportPath_, failure);
}

std::optional<std::vector<std::uint8_t>> TQCrashReporter::loadPendingCrashReportData() const {
    return loadPendingCrashReportDataAndReturnError(nullptr);
}

std::optional<std::vector<std::uint8_t>>
TQCrashReporter::loadPendingCrashReportDataAndReturnError(TQCrashReporterError* error) const {
    int errorNumber = 0;
    auto data = readWhole(crashReportPath_, &errorNumber);
    if (!data) {
        crash_error_populate_posix(error, errorNumber, "The file " + crashReportPath_ + " could not be read");
    }
    return data;
}

bool TQCrashReporter::purgePendingCrashReport() {
    return purgePendingCrashReportAndReturnError(nullptr);
}

bool TQCrashReporter::purgePendingCrashReportAndReturnError(TQCrashReporterError* error) {
    if (::unlink(crashReportPath_.c_str()) != 0) {
        crash_error_populate_posix(error, errno, "The file " + crashReportPath_ + " could not be removed");
        return false;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> TQCrashReporter::generateLiveReport() {
    return generateLiveReportAndReturnError(nullptr);
}

std::optional<std::vector<std::uint8_t>> TQCrashReporter::generateLiveReportAndReturnError(TQCrashReporterError* error) {
    return generateLiveReportWithThreadError(async::current_thread_id(), error);
}

std::optional<std::vector<std::uint8_t>> TQCrashReporter::generateLiveReportWithThread(pid_t thread) {
    return generateLiveReportWithThreadError(thread, nullptr);
}

std::optional<std::vector<std::uint8_t>> TQCrashReporter::generateLiveReportWithThreadError(pid_t thread,
                                                                                           TQCrashReporterError* error) {
    std::string path = temporaryFolder() + "/live_crash_report.XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) {
        crash_error_populate_posix(error, errno, "Failed to create temporary path");
        return std::nullopt;
    }
    async::crash_log_writer writer;
    fillWriter(&writer, true);
    if (async::reporter_crash_context().threads == nullptr) {
        async::reporter_crash_context().threads = async::process_threads_prepare();
    }
    async::async_file file;
    async::async_file_init(&file, fd, async::kCrashReportSizeLimit);
    const async::crash_signal_facts facts{SIGTRAP, TRAP_TRACE, 0};
    const async::crash_signal_info signal{&facts, nullptr};
    tqcrash_error_t status;
    if (thread == async::current_thread_id()) {
        live_write live{&writer, &file, &signal};
        status = async::thread_state_capture_current(writeWithCallerState, &live);
    } else {
        status = async::crash_log_write_report(&writer, thread, &async::process_image_list(), &file, &signal, nullptr,
                                               async::reporter_crash_context().threads);
    }
    async::async_file_flush(&file);
    async::async_file_close(&file);

    std::optional<std::vector<std::uint8_t>> data;
    if (status != TQCRASH_ESUCCESS) {
        TQCrashLog("[TQCrashReporter] Write failed with error %s", tqcrash_strerror(status));
        crash_error_populate(error, TQCrashReporterErrorCode::Unknown, "Failed to write the crash report to disk");
    } else {
        int errorNumber = 0;
        data = readWhole(path, &errorNumber);
        if (!data) {
            crash_error_populate(error, TQCrashReporterErrorCode::Unknown, "Unable to open live crash report for reading");
        }
    }
    async::crash_log_writer_free(&writer);
    if (::unlink(path.c_str()) != 0) {
        TQCrashLog("[TQCrashReporter] Failure occured deleting live crash report: %s", std::strerror(errno));
    }
    return data;
}

void TQCrashReporter::setCrashCallbacks(const TQCrashReporterCallbacks* callbacks) {
    if (enabled_) {
        throw TQCrashReporterException("The crash reporter has already been enabled");
    }
    if (callbacks->version != 0) {
        std::fputs("[TQCrashReporter] callbacks->version == 0\n", stderr);
        std::abort();
    }
    TQCrashReporterCallbacks& shared = async::reporter_crash_callbacks();
    shared.context = callbacks->context;
    shared.handleSignal = callbacks->handleSignal;
}

void TQCrashReporter::setCustomData(std::optional<std::vector<std::uint8_t>> data) {
    customData_ = std::move(data);
    if (enabled_) {
        async::crash_log_writer_set_custom_data(&async::reporter_crash_context().writer,
                                                customData_ ? &*customData_ : nullptr);
    }
}

} // namespace tqcrash
