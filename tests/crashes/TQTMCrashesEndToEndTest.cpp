#include "crashcapture/TQCrashReporter.h"
#include "platform/system/XdgPaths.h"

#include "tests/crashcapture/ChildProcess.h"
#include "tests/telemetry/LoopbackServer.h"
#include "tests/telemetry/TelemetryTestSupport.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <spawn.h>

#include <filesystem>
#include <map>

extern char** environ;

using namespace sonvale;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// A child with the client and the Crashes service crashes; its next launch sends what the crash
// left behind to a loopback server.
class TQTMCrashesEndToEndTest : public ::testing::Test {
protected:
    std::optional<tqcrash::test::ChildEnd> runChild(const std::string& mode)
    {
        return tqcrash::test::runChild({SONVALE_CRASHES_CHILD, server.baseUrl(), mode}, 60s);
    }

    // Launches the child, waits until the server has every log that `done` asks for (or a
    // generous safety limit has passed), then stops it.
    void relaunchUntil(const std::function<bool(const std::vector<nlohmann::json>&)>& done)
    {
        const std::string url = server.baseUrl();
        char* argv[] = {const_cast<char*>(SONVALE_CRASHES_CHILD), const_cast<char*>(url.c_str()),
                        const_cast<char*>("run"), nullptr};
        pid_t child = 0;
        ASSERT_EQ(::posix_spawn(&child, argv[0], nullptr, nullptr, argv, environ), 0);
        for (size_t seen = server.requestCount(); !done(sentLogs());)
            if (!server.waitForRequests(++seen))
                break;
        ::kill(child, SIGTERM);
        ASSERT_TRUE(tqcrash::test::waitForChild(child, 30s));
    }

    std::vector<nlohmann::json> sentLogs() const { return test::logsSentTo(server); }

    // Runs the child in `mode`, which must end by SIGABRT, and returns the one crash log that its
    // relaunch sends (an empty object when there is none).
    nlohmann::json crashLogOfAbortedChild(const std::string& mode)
    {
        const auto crashed = runChild(mode);
        EXPECT_TRUE(crashed && crashed->signaled && crashed->signal == SIGABRT);
        relaunchUntil([](const std::vector<nlohmann::json>& logs) { return countOf(logs, "appleError") >= 1; });
        const std::vector<nlohmann::json> logs = sentLogs();
        EXPECT_EQ(countOf(logs, "appleError"), 1u);
        const auto crash = std::ranges::find_if(logs, [](const auto& log) { return log.at("type") == "appleError"; });
        return crash != logs.end() ? *crash : nlohmann::json::object();
    }

    static size_t countOf(const std::vector<nlohmann::json>& logs, const std::string& type)
    {
        return std::ranges::count_if(logs, [&](const auto& log) { return log.at("type") == type; });
    }

    static std::map<std::string, int> marks(const std::vector<nlohmann::json>& logs)
    {
        std::map<std::string, int> found;
        for (const auto& log : logs)
            if (log.contains("properties") && log["properties"].contains("mark"))
                ++found[log["properties"]["mark"].get<std::string>()];
        return found;
    }

    static std::vector<fs::path> filesIn(const fs::path& folder)
    {
        std::vector<fs::path> files;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
            files.push_back(it->path());
        return files;
    }

    test::TempHome home;
    test::LoopbackServer server;
};

TEST_F(TQTMCrashesEndToEndTest, ASegfaultIsSentOnceAtTheNextLaunchWithTheLogsItInterrupted)
{
    const auto crashed = runChild("crash-after-logs");
    ASSERT_TRUE(crashed);
    ASSERT_TRUE(crashed->signaled);
    EXPECT_EQ(crashed->signal, SIGSEGV);

    const fs::path pendingReport = tqcrash::TQCrashReporter().crashReportPath();
    EXPECT_TRUE(fs::exists(pendingReport));
    const fs::path telemetry = sonvaleTelemetryDir();
    size_t buffered = 0;
    for (const fs::path& file : filesIn(telemetry / "crasheslogbuffer"))
        buffered += fs::file_size(file) > 0;
    EXPECT_EQ(buffered, 3u);

    // The start-service log of the relaunch leaves last (the core unit waits six seconds): every
    // crash log would have gone out before it.
    relaunchUntil([](const std::vector<nlohmann::json>& logs) {
        return countOf(logs, "appleError") >= 1 && marks(logs).size() == 3 &&
               countOf(logs, "startService") >= 1;
    });
    const std::vector<nlohmann::json> logs = sentLogs();
    ASSERT_EQ(countOf(logs, "appleError"), 1u);
    EXPECT_EQ(marks(logs), (std::map<std::string, int>{
                               {"before-crash-1", 1}, {"before-crash-2", 1}, {"before-crash-3", 1}}));

    const nlohmann::json crash =
        *std::ranges::find_if(logs, [](const auto& log) { return log.at("type") == "appleError"; });
    EXPECT_EQ(crash.at("osExceptionType"), "SIGSEGV");
    EXPECT_EQ(crash.at("osExceptionCode"), "SEGV_MAPERR");
    EXPECT_EQ(crash.at("osExceptionAddress"), "0x1234");
    EXPECT_EQ(crash.at("fatal"), true);
    // The name as the kernel keeps it: at most 15 characters.
    EXPECT_EQ(crash.at("processName"), fs::path(SONVALE_CRASHES_CHILD).filename().string().substr(0, 15));
    EXPECT_EQ(crash.at("primaryArchitectureId"), 0x1000007);
    EXPECT_TRUE(crash.at("device").contains("osName"));

    // The crashed thread: named by errorThreadId, its registers sent, its frames in the child.
    const auto& threads = crash.at("threads");
    const auto crashedThread = std::ranges::find_if(
        threads, [&](const auto& thread) { return thread.at("id") == crash.at("errorThreadId"); });
    ASSERT_NE(crashedThread, threads.end());
    ASSERT_FALSE(crashedThread->at("frames").empty());
    const std::string pc = crash.at("registers").at("rip");
    EXPECT_EQ(pc.size(), 18u);
    EXPECT_EQ(crashedThread->at("frames")[0].at("address"), pc);

    // The child's executable is listed, and the first frame's code is an offset into an image
    // that is listed.
    const auto& binaries = crash.at("binaries");
    EXPECT_TRUE(std::ranges::any_of(binaries, [](const auto& binary) {
        return binary.at("name") == fs::path(SONVALE_CRASHES_CHILD).filename().string();
    }));
    const std::string code = crashedThread->at("frames")[0].at("code");
    const std::string base = code.substr(0, code.find(' '));
    EXPECT_TRUE(std::ranges::any_of(binaries, [&](const auto& binary) {
        return std::stoull(binary.at("startAddress").template get<std::string>(), nullptr, 16) ==
               std::stoull(base, nullptr, 16);
    })) << code;

    // Nothing of the crash is left behind.
    EXPECT_FALSE(fs::exists(pendingReport));
    EXPECT_TRUE(filesIn(telemetry / "crashes").empty());
    for (const fs::path& file : filesIn(telemetry / "crasheslogbuffer")) {
        EXPECT_EQ(file.extension(), ".tmcrasheslogbuffer");
        EXPECT_EQ(fs::file_size(file), 0u) << file;
    }
}

TEST_F(TQTMCrashesEndToEndTest, ALogStoredJustBeforeTheCrashIsSentOnceThoughItsBufferCopyIsLeft)
{
    const auto crashed = runChild("crash-after-store");
    ASSERT_TRUE(crashed);
    ASSERT_TRUE(crashed->signaled);
    EXPECT_EQ(crashed->signal, SIGSEGV);
    size_t buffered = 0;
    for (const fs::path& file : filesIn(sonvaleTelemetryDir() / "crasheslogbuffer"))
        buffered += fs::file_size(file) > 0;
    ASSERT_EQ(buffered, 1u); // the stored log's slot was never freed

    // The crashed run's stored logs and the relaunch's start-service log leave together, six
    // seconds after the start; the buffer's unit sends what it has after one.
    relaunchUntil([](const std::vector<nlohmann::json>& logs) {
        return countOf(logs, "startService") >= 2 && marks(logs).contains("stored-before-crash");
    });
    const std::vector<nlohmann::json> logs = sentLogs();
    EXPECT_EQ(countOf(logs, "startService"), 2u);
    EXPECT_EQ(marks(logs), (std::map<std::string, int>{{"stored-before-crash", 1}}));
}

TEST_F(TQTMCrashesEndToEndTest, AnUncaughtExceptionIsSentWithItsTypeMessageAndThrowSite)
{
    const nlohmann::json crash = crashLogOfAbortedChild("uncaught-exception");
    EXPECT_EQ(crash.at("osExceptionType"), "SIGABRT");
    EXPECT_EQ(crash.at("exceptionType"), "std::runtime_error");
    EXPECT_EQ(crash.at("exceptionReason"), "no space left for the output");

    // The crashed thread carries the exception; its first frame is the throw in the child's own
    // code, not the terminate machinery of the C++ library.
    const auto& threads = crash.at("threads");
    const auto crashedThread = std::ranges::find_if(
        threads, [&](const auto& thread) { return thread.at("id") == crash.at("errorThreadId"); });
    ASSERT_NE(crashedThread, threads.end());
    ASSERT_TRUE(crashedThread->contains("exception"));
    const auto& exception = crashedThread->at("exception");
    EXPECT_EQ(exception.at("type"), "std::runtime_error");
    ASSERT_FALSE(exception.at("frames").empty());
    const std::uint64_t throwSite =
        std::stoull(exception.at("frames")[0].at("address").get<std::string>(), nullptr, 16);
    const auto child = std::ranges::find_if(crash.at("binaries"), [](const auto& binary) {
        return binary.at("name") == fs::path(SONVALE_CRASHES_CHILD).filename().string();
    });
    ASSERT_NE(child, crash.at("binaries").end());
    EXPECT_GE(throwSite, std::stoull(child->at("startAddress").get<std::string>(), nullptr, 16));
    EXPECT_LE(throwSite, std::stoull(child->at("endAddress").get<std::string>(), nullptr, 16));
}

TEST_F(TQTMCrashesEndToEndTest, AnExceptionTheApplicationReportsIsSentWhenItAsksToCrashOnExceptions)
{
    const nlohmann::json crash = crashLogOfAbortedChild("application-exception");
    EXPECT_EQ(crash.at("exceptionType"), "TQConversionException");
    EXPECT_EQ(crash.at("exceptionReason"), "raised in an event handler");
}

} // namespace
