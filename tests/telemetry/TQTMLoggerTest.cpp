#include "telemetry/TQTMLogger.h"

#include "platform/system/AtomicFile.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <future>
#include <map>
#include <thread>
#include <unistd.h>

using namespace sonvale;

namespace {

// Sends standard error to a file while alive; text() answers what was written.
class StderrCapture {
public:
    StderrCapture() : file_(dir_.path() / "stderr")
    {
        std::fflush(stderr);
        saved_ = ::dup(2);
        const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::close(fd);
    }
    ~StderrCapture() { restore(); }

    std::string text()
    {
        TQTMLogger::flush();
        restore();
        return readWholeFile(file_).value_or("");
    }

private:
    void restore()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }

    test::TempDir dir_;
    std::filesystem::path file_;
    int saved_ = -1;
};

void logAt(TQTMLogLevel level, const std::string& message, const char* function = "-[TQTMTest run]",
           uint32_t line = 7)
{
    TQTMLogger::logMessageLevelTagFileFunctionLine([message] { return message; }, level,
                                                   "Telemetry", "TQTMTest.cpp", function, line);
}

// Each case starts from the logger's state at load and leaves it so.
class TQTMLoggerTest : public ::testing::Test {
protected:
    TQTMLoggerTest() { reset(); }
    ~TQTMLoggerTest() override { reset(); }

    static void reset()
    {
        TQTMLogger::flush();
        TQTMLogger::setLogHandler(TQTMLogger::defaultLogHandler());
        TQTMLogger::setCurrentLogLevel(TQTMLogLevelAssert);
        TQTMLogger::setIsUserDefinedLogLevel(false);
    }
};

} // namespace

TEST_F(TQTMLoggerTest, DefaultHandlerPrintsFromTheCurrentLevelUp)
{
    struct Case {
        TQTMLogLevel current;
        TQTMLogLevel message;
        bool prints;
    };
    const Case cases[] = {
        {TQTMLogLevelAssert, TQTMLogLevelWarning, false},
        {TQTMLogLevelWarning, TQTMLogLevelWarning, true},
        {TQTMLogLevelWarning, TQTMLogLevelInfo, false},
        {TQTMLogLevelVerbose, TQTMLogLevelVerbose, true},
        {TQTMLogLevelDebug, TQTMLogLevelVerbose, false},
        {TQTMLogLevelVerbose, TQTMLogLevelError, true},
        {TQTMLogLevelNone, TQTMLogLevelAssert, false},
        {TQTMLogLevelVerbose, TQTMLogLevelNone, false},
        {TQTMLogLevelNone, TQTMLogLevelNone, false},
    };
    for (const Case& c : cases) {
        TQTMLogger::setCurrentLogLevel(c.current);
        StderrCapture capture;
        logAt(c.message, "hello");
        EXPECT_EQ(!capture.text().empty(), c.prints)
            << "current " << c.current << " message " << c.message;
    }
}

TEST_F(TQTMLoggerTest, DefaultLineNamesTagLevelFunctionAndLine)
{
    const std::pair<TQTMLogLevel, const char*> names[] = {
        {TQTMLogLevelVerbose, "VERBOSE"}, {TQTMLogLevelDebug, "DEBUG"},
        {TQTMLogLevelInfo, "INFO"},       {TQTMLogLevelWarning, "WARNING"},
        {TQTMLogLevelError, "ERROR"},     {TQTMLogLevelAssert, "ASSERT"},
    };
    TQTMLogger::setCurrentLogLevel(TQTMLogLevelVerbose);
    for (const auto& [level, name] : names) {
        StderrCapture capture;
        logAt(level, "Storage full", "-[TQTMChannelUnit enqueueItem:flags:]", 214);
        EXPECT_EQ(capture.text(), std::string("[Telemetry] ") + name +
                                      ": -[TQTMChannelUnit enqueueItem:flags:]/214 Storage full\n");
    }
}

TEST_F(TQTMLoggerTest, WithoutAHandlerTheMessageIsNeverBuilt)
{
    TQTMLogger::setLogHandler({});
    EXPECT_TRUE(TQTMLogger::isUserDefinedLogLevel()); // a handler alone counts as the user's choice
    std::atomic<bool> built{false};
    TQTMLogger::logMessageLevelTagFileFunctionLine(
        [&] {
            built = true;
            return std::string("never");
        },
        TQTMLogLevelAssert, "Telemetry", __FILE__, __func__, __LINE__);
    TQTMLogger::flush();
    EXPECT_FALSE(built);
}

TEST_F(TQTMLoggerTest, TheHandlerCurrentWhenTheMessageRunsGetsIt)
{
    std::promise<void> entered, release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<std::string> first, second;
    TQTMLogger::setLogHandler([&](const TQTMLogMessageProvider& m, TQTMLogLevel, const std::string&,
                                  const char*, const char*, uint32_t) {
        first.push_back(m());
        entered.set_value();
        released.wait(); // holds the queue while the test swaps handlers
    });
    logAt(TQTMLogLevelError, "blocker");
    entered.get_future().wait();
    logAt(TQTMLogLevelError, "routed");
    TQTMLogger::setLogHandler([&](const TQTMLogMessageProvider& m, TQTMLogLevel, const std::string&,
                                  const char*, const char*, uint32_t) { second.push_back(m()); });
    release.set_value();
    TQTMLogger::flush();
    EXPECT_EQ(first, std::vector<std::string>{"blocker"});
    EXPECT_EQ(second, std::vector<std::string>{"routed"});

    // Removing the handler between submission and execution drops the message.
    std::promise<void> enteredAgain, releaseAgain;
    std::shared_future<void> releasedAgain = releaseAgain.get_future().share();
    TQTMLogger::setLogHandler([&](const TQTMLogMessageProvider& m, TQTMLogLevel, const std::string&,
                                  const char*, const char*, uint32_t) {
        second.push_back(m());
        enteredAgain.set_value();
        releasedAgain.wait();
    });
    logAt(TQTMLogLevelError, "blocker 2");
    enteredAgain.get_future().wait();
    logAt(TQTMLogLevelError, "dropped");
    TQTMLogger::setLogHandler({});
    releaseAgain.set_value();
    TQTMLogger::flush();
    EXPECT_EQ(second, (std::vector<std::string>{"routed", "blocker 2"}));
}

TEST_F(TQTMLoggerTest, AHandlerSwappedWhileAnotherThreadLogsLosesNothingAndKeepsOrder)
{
    std::mutex mutex;
    std::vector<int> before, after;
    auto collectInto = [&](std::vector<int>& into) {
        return [&](const TQTMLogMessageProvider& m, TQTMLogLevel, const std::string&, const char*,
                   const char*, uint32_t) {
            std::lock_guard lock(mutex);
            into.push_back(std::stoi(m()));
        };
    };
    TQTMLogger::setLogHandler(collectInto(before));
    std::promise<void> halfway, swapped;
    std::thread logger([&] {
        for (int i = 0; i < 2000; ++i) {
            logAt(TQTMLogLevelInfo, std::to_string(i));
            if (i == 1000) {
                halfway.set_value();
                swapped.get_future().wait(); // so that some messages surely follow the swap
            }
        }
    });
    halfway.get_future().wait();
    TQTMLogger::setLogHandler(collectInto(after));
    swapped.set_value();
    logger.join();
    TQTMLogger::flush();

    std::vector<int> all = before;
    all.insert(all.end(), after.begin(), after.end());
    ASSERT_EQ(all.size(), 2000u);
    for (int i = 0; i < 2000; ++i)
        EXPECT_EQ(all[static_cast<size_t>(i)], i);
    EXPECT_FALSE(after.empty());
}

TEST_F(TQTMLoggerTest, MessagesOfEachThreadKeepTheirOrder)
{
    std::mutex mutex;
    std::map<std::string, std::vector<int>> byThread;
    TQTMLogger::setLogHandler([&](const TQTMLogMessageProvider& m, TQTMLogLevel,
                                  const std::string& tag, const char*, const char*, uint32_t) {
        std::lock_guard lock(mutex);
        byThread[tag].push_back(std::stoi(m()));
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 500; ++i)
                TQTMLogger::logMessageLevelTagFileFunctionLine(
                    [i] { return std::to_string(i); }, TQTMLogLevelDebug,
                    "thread" + std::to_string(t), __FILE__, __func__, __LINE__);
        });
    for (auto& thread : threads)
        thread.join();
    TQTMLogger::flush();
    ASSERT_EQ(byThread.size(), 4u);
    for (const auto& [thread, values] : byThread) {
        ASSERT_EQ(values.size(), 500u) << thread;
        for (int i = 0; i < 500; ++i)
            EXPECT_EQ(values[static_cast<size_t>(i)], i) << thread;
    }
}
