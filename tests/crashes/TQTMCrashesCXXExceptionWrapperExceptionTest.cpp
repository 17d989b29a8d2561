#include "crashes/TQTMCrashesCXXExceptionWrapperException.h"

#include "crashcapture/TQCrashReport.h"
#include "crashcapture/TQCrashReporter.h"
#include "crashes/TQTMCrashesUncaughtCXXExceptionHandlerManager.h"
#include "tests/crashes/ForkedChild.h"
#include "tests/crashes/ReturnAddress.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <stdexcept>

using namespace tqcrash;

// Exported, so that a frame can be told to lie in the thrower.
namespace wrapper_test {

class QuotaExceeded final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[gnu::noinline]] void throwQuotaExceeded() { throw QuotaExceeded("quota exceeded"); }

} // namespace wrapper_test

using namespace wrapper_test;

namespace {

TQCrashReporter makeReporter(const std::filesystem::path& base)
{
    return TQCrashReporter("com.sonvale.crashestest", "1.0", "1.0.21",
                           TQCrashReporterConfig::initWithSignalHandlerTypeSymbolicationStrategyBasePath(
                               TQCrashSignalHandlerTypeBSD, 0, base.string()));
}

} // namespace

TEST(TQTMCrashesCXXExceptionWrapperExceptionTest, NamesTheTypeReadablyAndCarriesMessageAndFrames)
{
    const std::uint64_t frames[] = {0x1000, 0x2000};
    const crashes_cxx_exception_info info{nullptr, typeid(QuotaExceeded).name(), "quota exceeded", 2, frames};
    const TQTMCrashesCXXExceptionWrapperException exception(&info);
    EXPECT_EQ(exception.name(), "wrapper_test::QuotaExceeded");
    EXPECT_EQ(exception.reason(), "quota exceeded");
    EXPECT_EQ(exception.callStackReturnAddresses(), (std::vector<std::uint64_t>{0x1000, 0x2000}));
    EXPECT_EQ(exception.info(), &info);

    // A name the demangler can't read stays as it is; no message is an empty reason.
    const crashes_cxx_exception_info bare{nullptr, "not a mangled name", nullptr, 0, nullptr};
    const TQTMCrashesCXXExceptionWrapperException unnamed(&bare);
    EXPECT_EQ(unnamed.name(), "not a mangled name");
    EXPECT_EQ(unnamed.reason(), "");
    EXPECT_TRUE(unnamed.callStackReturnAddresses().empty());
}

// The whole way: the engine enabled, the service's handler registered, an exception nobody catches;
// the report of the next run names it and starts at its throw.
TEST(TQTMCrashesCXXExceptionWrapperExceptionTest, UncaughtExceptionReachesTheCrashReportWithItsThrowSite)
{
    const sonvale::test::TempDir base;
    const auto end = sonvale::test::runForkedChild([&base](int) {
        TQCrashReporter reporter = makeReporter(base.path());
        if (!reporter.enableCrashReporter())
            _exit(3);
        TQTMCrashesUncaughtCXXExceptionHandlerManager::addCXXExceptionHandler(crashes_cxx_exception_handler);
        throwQuotaExceeded();
    });
    ASSERT_TRUE(end.has_value());
    EXPECT_TRUE(end->signaled);
    EXPECT_EQ(end->signal, SIGABRT);

    const auto data = makeReporter(base.path()).loadPendingCrashReportData();
    ASSERT_TRUE(data.has_value());
    TQCrashReporterError error;
    const auto report = TQCrashReport::initWithDataError(*data, &error);
    ASSERT_NE(report, nullptr);
    ASSERT_TRUE(report->hasExceptionInfo());
    const TQCrashReportExceptionInfo& exception = *report->exceptionInfo();
    EXPECT_EQ(exception.exceptionName(), "wrapper_test::QuotaExceeded");
    EXPECT_EQ(exception.exceptionReason(), "quota exceeded");
    ASSERT_TRUE(exception.stackFrames().has_value());
    ASSERT_FALSE(exception.stackFrames()->empty());
    EXPECT_TRUE(sonvale::test::isReturnAddressIn(exception.stackFrames()->front().instructionPointer(),
                                                 throwQuotaExceeded));
}
