#include "ChildProcess.h"
#include "Sandbox.h"
#include "crashcapture/TQCrashLogWriter.h"
#include "crashcapture/TQCrashMachExceptionPort.h"
#include "crashcapture/TQCrashMachExceptionPortSet.h"
#include "crashcapture/TQCrashReport.h"
#include "crashcapture/TQCrashReporter.h"
#include "crashcapture/TQCrashReportWriter.h"
#include "platform/darwin/MachPort.h"
#include "platform/system/AppInfo.h"
#include "platform/system/HostInfo.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <thread>

namespace tqcrash {
namespace {

TQCrashReporter reporterIn(const std::filesystem::path& base, std::string identifier = "com.sonvale.tests") {
    return TQCrashReporter(std::move(identifier), "7", "7.1",
                           TQCrashReporterConfig::initWithBasePath(base.string()));
}

// Enabling is for the life of a process: each such test runs in a child, which answers by its exit code.
test::ChildEnd inChild(int (*body)()) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    return test::waitForChild(child, std::chrono::seconds(60)).value_or(test::ChildEnd{true, SIGKILL, 0});
}

TEST(TQCrashReporterConfigTest, EveryInitializerButOneRegistersTheUncaughtExceptionHandler) {
    const auto standard = TQCrashReporterConfig::defaultConfiguration();
    EXPECT_EQ(standard.signalHandlerType(), TQCrashSignalHandlerTypeBSD);
    EXPECT_EQ(standard.symbolicationStrategy(), 0u);
    EXPECT_TRUE(standard.shouldRegisterUncaughtExceptionHandler());
    EXPECT_FALSE(standard.basePath());
    EXPECT_TRUE(TQCrashReporterConfig::initWithSignalHandlerTypeSymbolicationStrategy(1, 3)
                    .shouldRegisterUncaughtExceptionHandler());
    const auto without =
        TQCrashReporterConfig::initWithSignalHandlerTypeSymbolicationStrategyShouldRegisterUncaughtExceptionHandler(
            1, 3, false);
    EXPECT_FALSE(without.shouldRegisterUncaughtExceptionHandler());
    EXPECT_EQ(without.signalHandlerType(), 1u);
    EXPECT_FALSE(without.basePath());
    EXPECT_EQ(TQCrashReporter::mapToAsyncSymbolicationStrategy(0xFF), 3);
}

TEST(TQCrashReporterTest, TheReportFolderIsBelowTheBaseWithEverySlashOfTheIdentifierReplaced) {
    sonvale::test::TempDir base;
    auto reporter = reporterIn(base.path(), "com/sonvale/tests");
    const std::string folder = base.path().string() + "/com.tqcrash.reporter/com_sonvale_tests";
    EXPECT_EQ(reporter.crashReportDirectory(), folder);
    EXPECT_EQ(reporter.crashReportPath(), folder + "/live_report.tqcrash");
    EXPECT_EQ(reporter.queuedCrashReportDirectory(), folder + "/queued_reports");
    ASSERT_TRUE(reporter.populateCrashReportDirectoryAndReturnError(nullptr));
    EXPECT_TRUE(std::filesystem::is_directory(reporter.queuedCrashReportDirectory()));
}

TEST(TQCrashReporterTest, WithoutABasePathTheReportsLiveInTheUsersCacheFolder) {
    sonvale::test::TempHome home;
    EXPECT_EQ(TQCrashReporter(TQCrashReporterConfig()).crashReportDirectory().rfind(
                  (home.path() / ".cache" / "com.tqcrash.reporter").string(), 0),
              0u);
}

TEST(TQCrashReporterTest, ABundleWithoutVersionGivesTheEmptyVersionAndWithoutIdentifierTheProcessName) {
    const sonvale::AppInfo bundle("", nlohmann::json::object());
    const TQCrashReporter reporter(bundle, TQCrashReporterConfig());
    EXPECT_EQ(reporter.applicationVersion(), "");
    EXPECT_EQ(reporter.applicationIdentifier(), program_invocation_short_name);
}

TEST(TQCrashReporterTest, ThePendingReportIsFoundLoadedAndPurged) {
    sonvale::test::TempDir base;
    auto reporter = reporterIn(base.path());
    EXPECT_FALSE(reporter.hasPendingCrashReport());
    TQCrashReporterError error;
    EXPECT_FALSE(reporter.loadPendingCrashReportDataAndReturnError(&error));
    EXPECT_EQ(error.code, TQCrashReporterErrorCode::OperatingSystem);
    ASSERT_TRUE(reporter.populateCrashReportDirectoryAndReturnError(nullptr));
    std::ofstream(reporter.crashReportPath()) << "tqcrash";
    EXPECT_TRUE(reporter.hasPendingCrashReport());
    EXPECT_EQ(reporter.loadPendingCrashReportData(), (std::vector<std::uint8_t>{'t', 'q', 'c', 'r', 'a', 's', 'h'}));
    EXPECT_TRUE(reporter.purgePendingCrashReport());
    EXPECT_FALSE(reporter.hasPendingCrashReport());
    EXPECT_FALSE(reporter.purgePendingCrashReportAndReturnError(&error));
}

TEST(TQCrashReporterTest, ASecondEnableOnAnyReporterFailsWithCodeThree) {
    const test::ChildEnd end = inChild([] {
        sonvale::test::TempDir base;
        auto first = reporterIn(base.path());
        auto second = reporterIn(base.path(), "com.sonvale.other");
        TQCrashReporterError error;
        if (!first.enableCrashReporterAndReturnError(nullptr) || second.enableCrashReporterAndReturnError(&error) ||
            first.enableCrashReporterAndReturnError(nullptr)) {
            return 1;
        }
        const TQCrashReporterCallbacks callbacks{0, nullptr, nullptr};
        try {
            first.setCrashCallbacks(&callbacks);
            return 2;
        } catch (const TQCrashReporterException& refused) {
            if (std::strcmp(refused.what(), "The crash reporter has already been enabled") != 0) {
                return 3;
            }
        }
        return error.code == TQCrashReporterErrorCode::ReporterEnabled &&
                       error.description == "A TQCrashReporter instance has already been enabled"
                   ? 0
                   : 4;
    });
    EXPECT_FALSE(end.signaled);
    EXPECT_EQ(end.exitCode, 0);
}

// In Mach mode the reporter's exception server holds the task's crash exceptions, with 64-bit codes.
TEST(TQCrashReporterTest, InMachModeTheServerHoldsTheTasksCrashExceptions) {
    const test::ChildEnd end = inChild([] {
        sonvale::test::TempDir base;
        TQCrashReporter reporter("com.sonvale.tests", "1", std::nullopt,
                                 TQCrashReporterConfig::initWithSignalHandlerTypeSymbolicationStrategyBasePath(
                                     TQCrashSignalHandlerTypeMach, 0, base.path().string()));
        TQCrashReporterError error;
        if (!reporter.enableCrashReporterAndReturnError(&error)) {
            return 1;
        }
        const auto current = TQCrashMachExceptionPort::exceptionPortsForTaskMaskError(
            sonvale::darwin::mach_task_self(), sonvale::darwin::EXC_MASK_ALL, nullptr);
        if (!current) {
            return 2;
        }
        for (const auto& port : *current) {
            if (port->server_port() != sonvale::darwin::MACH_PORT_NULL) {
                const bool expected = port->mask() == 0x6E &&
                                      port->behavior() == (sonvale::darwin::EXCEPTION_DEFAULT |
                                                           sonvale::darwin::MACH_EXCEPTION_CODES) &&
                                      port->flavor() == sonvale::darwin::x86_THREAD_STATE;
                return expected ? 0 : 3;
            }
        }
        return 4;
    });
    EXPECT_FALSE(end.signaled);
    EXPECT_EQ(end.exitCode, 0);
}

std::unique_ptr<TQCrashReport> decode(const std::optional<std::vector<std::uint8_t>>& data) {
    TQCrashReporterError error;
    auto report = data ? TQCrashReport::initWithDataError(*data, &error) : nullptr;
    EXPECT_TRUE(report) << error.description;
    return report;
}

const TQCrashReportThreadInfo* crashedThread(const TQCrashReport& report) {
    const auto& threads = report.threads();
    const auto found = std::find_if(threads.begin(), threads.end(), [](const auto& t) { return t.crashed(); });
    return found == threads.end() ? nullptr : &*found;
}

TEST(TQCrashReporterTest, ALiveReportOfTheCallingThreadIsATraceTrapWithTheSameOperatingSystemAsTheDevice) {
    sonvale::test::TempDir base;
    auto reporter = reporterIn(base.path());
    reporter.setCustomData(std::vector<std::uint8_t>{1, 2, 3});
    const auto report = decode(reporter.generateLiveReport());
    ASSERT_TRUE(report);
    EXPECT_EQ(report->signalInfo().name(), "SIGTRAP");
    EXPECT_EQ(report->signalInfo().code(), "TRAP_TRACE");
    EXPECT_EQ(report->signalInfo().address(), 0u);
    EXPECT_EQ(report->customData(), (std::vector<std::uint8_t>{1, 2, 3}));
    const auto* crashed = crashedThread(*report);
    ASSERT_NE(crashed, nullptr);
    EXPECT_FALSE(crashed->stackFrames().empty());
    const auto system = sonvale::hostinfo::operatingSystemDescription();
    EXPECT_EQ(report->systemInfo().operatingSystemVersion(), system.version);
    EXPECT_EQ(report->systemInfo().operatingSystemBuild(), system.build);
    EXPECT_FALSE(reporter.hasPendingCrashReport()) << "a live report is no pending report";
}

TEST(TQCrashReporterTest, ALiveReportOfAnotherThreadLeavesOutTheCallerAndMarksThatThreadCrashed) {
    sonvale::test::TempDir base;
    auto reporter = reporterIn(base.path());
    std::atomic<pid_t> other{0};
    std::atomic<bool> done{false};
    std::thread waiting([&] {
        other.store(gettid());
        while (!done.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    while (other.load() == 0) {
        std::this_thread::yield();
    }
    const auto report = decode(reporter.generateLiveReportWithThread(other.load()));
    done.store(true);
    waiting.join();
    ASSERT_TRUE(report);
    const auto* crashed = crashedThread(*report);
    ASSERT_NE(crashed, nullptr);
    EXPECT_FALSE(crashed->stackFrames().empty());
    EXPECT_EQ(crashed->registers().size(), 21u);
    // Every thread of this process but the caller: the caller is in none of the walks.
    EXPECT_GE(report->threads().size(), 1u);
    EXPECT_EQ(report->signalInfo().code(), "TRAP_TRACE");
}

// Custom data replaced again and again while reports read it: each report holds one whole value.
TEST(TQCrashReporterTest, ReplacingTheCustomDataNeverHandsAReportFreedBytes) {
    sonvale::test::TempDir base;
    auto reporter = reporterIn(base.path());
    const std::vector<std::uint8_t> small(16, 0xAA);
    const std::vector<std::uint8_t> large(4096, 0x55);
    async::crash_log_writer writer;
    async::crash_log_writer_init(&writer, "com.sonvale.tests", "7", nullptr, 0, false);
    std::atomic<bool> stop{false};
    std::thread replacing([&] {
        for (int i = 0; !stop.load(); ++i) {
            async::crash_log_writer_set_custom_data(&writer, i % 2 == 0 ? &small : &large);
        }
    });
    for (int round = 0; round < 200; ++round) {
        const auto* data = async::crash_log_custom_data_acquire(&writer);
        if (data != nullptr) {
            const std::vector<std::uint8_t> seen(data->bytes, data->bytes + data->length);
            EXPECT_TRUE(seen == small || seen == large) << "round " << round;
        }
        async::crash_log_custom_data_release(&writer);
    }
    stop.store(true);
    replacing.join();
    async::crash_log_writer_free(&writer);
}

// A sandbox may refuse the random source: the report id comes anyway, different each time.
TEST(TQCrashReporterTest, TheReportIdNeverWaitsForARefusedRandomSource) {
    const test::ChildEnd end = inChild([] {
        if (!test::refuseSystemCall(SYS_getrandom, ENOSYS)) {
            return 5;
        }
        async::crash_log_writer first;
        async::crash_log_writer second;
        if (async::crash_log_writer_init(&first, "a", "1", nullptr, 0, false) != TQCRASH_ESUCCESS ||
            async::crash_log_writer_init(&second, "a", "1", nullptr, 0, false) != TQCRASH_ESUCCESS) {
            return 1;
        }
        const bool versionFour = (first.report_uuid[6] & 0xF0) == 0x40 && (first.report_uuid[8] & 0xC0) == 0x80;
        const bool distinct = std::memcmp(first.report_uuid, second.report_uuid, 16) != 0;
        return versionFour && distinct ? 0 : 2;
    });
    EXPECT_FALSE(end.signaled) << "the child hung";
    EXPECT_EQ(end.exitCode, 0);
}

// The report replaces the pending one whole: a file already there is never cut and rewritten.
TEST(TQCrashReporterTest, AReportIsWrittenAsideAndRenamedOverThePendingOne) {
    sonvale::test::TempDir base;
    auto reporter = reporterIn(base.path());
    ASSERT_TRUE(reporter.populateCrashReportDirectoryAndReturnError(nullptr));
    std::ofstream(reporter.crashReportPath()) << "the previous report";
    const auto earlier = base.path() / "earlier";
    std::filesystem::create_hard_link(reporter.crashReportPath(), earlier);

    async::crash_handler_context context{};
    async::crash_log_writer_init(&context.writer, "com.sonvale.tests", "7", nullptr, 0, false);
    context.report_path = strdup(reporter.crashReportPath().c_str());
    const async::crash_signal_facts facts{SIGSEGV, SEGV_MAPERR, 0};
    const async::crash_signal_info signal{&facts, nullptr};
    async::tqcrash_async_thread_state state{};
    ASSERT_EQ(async::thread_state_capture_current(
                  [](async::tqcrash_async_thread_state* captured, void* into) {
                      *static_cast<async::tqcrash_async_thread_state*>(into) = *captured;
                      return TQCRASH_ESUCCESS;
                  },
                  &state),
              TQCRASH_ESUCCESS);
    EXPECT_EQ(async::crash_log_write_to_path(&context, async::current_thread_id(), &state, &signal), TQCRASH_ESUCCESS);

    std::ifstream previous(earlier);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(previous), {}), "the previous report");
    EXPECT_TRUE(decode(reporter.loadPendingCrashReportData()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(reporter.crashReportDirectory()), {}), 2)
        << "the report and the queued reports' folder, nothing left aside";
    std::free(context.report_path);
    async::crash_log_writer_free(&context.writer);
}

} // namespace
} // namespace tqcrash
