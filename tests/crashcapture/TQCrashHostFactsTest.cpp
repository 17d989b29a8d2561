#include "crashcapture/TQCrashError.h"
#include "crashcapture/TQCrashHostInfo.h"
#include "crashcapture/TQCrashProcessInfo.h"
#include "crashcapture/TQCrashReporterError.h"
#include "crashcapture/TQCrashSignalNames.h"

#include <gtest/gtest.h>

#include <sys/utsname.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>

namespace tqcrash {
namespace {

TEST(TQCrashSignalNamesTest, NamesTheCrashSignalsAndCodesOfThisHost) {
    struct Row {
        int signal;
        int code;
        const char* name;
        const char* codeName;
    };
    const Row rows[] = {
        {SIGSEGV, SEGV_MAPERR, "SIGSEGV", "SEGV_MAPERR"},
        {SIGSEGV, SEGV_ACCERR, "SIGSEGV", "SEGV_ACCERR"},
        {SIGFPE, FPE_INTDIV, "SIGFPE", "FPE_INTDIV"},
        {SIGFPE, FPE_FLTDIV, "SIGFPE", "FPE_FLTDIV"},
        {SIGILL, ILL_ILLOPN, "SIGILL", "ILL_ILLOPN"},
        {SIGILL, ILL_ILLOPC, "SIGILL", "ILL_ILLOPC"},
        {SIGTRAP, TRAP_BRKPT, "SIGTRAP", "TRAP_BRKPT"},
        {SIGTRAP, TRAP_TRACE, "SIGTRAP", "TRAP_TRACE"},
        {SIGBUS, BUS_ADRERR, "SIGBUS", "BUS_ADRERR"},
        {SIGBUS, BUS_ADRALN, "SIGBUS", "BUS_ADRALN"},
        {SIGABRT, 0, "SIGABRT", "#0"},
        {SIGTRAP, 0, "SIGTRAP", "#0"},
    };
    for (const Row& row : rows) {
        EXPECT_STREQ(async::signal_name(row.signal), row.name);
        EXPECT_STREQ(async::signal_code_name(row.signal, row.code), row.codeName) << row.name << " " << row.code;
    }
}

TEST(TQCrashSignalNamesTest, LeavesUnknownNumbersUnnamed) {
    EXPECT_STREQ(async::signal_name(SIGIOT), "SIGABRT") << "the alias comes after the signal";
    EXPECT_EQ(async::signal_name(77), nullptr);
    EXPECT_EQ(async::signal_code_name(SIGSEGV, 3), nullptr);
    EXPECT_EQ(async::signal_code_name(SIGABRT, SI_TKILL), nullptr);
    EXPECT_EQ(async::signal_code_name(SIGUSR1, 1), nullptr);
}

TEST(TQCrashHostInfoTest, ScansTheKernelRelease) {
    EXPECT_EQ(TQCrashHostInfo("6.1.0-18-amd64").darwinVersion(), (TQCrashHostInfoVersion{6, 1, 0}));
    EXPECT_EQ(TQCrashHostInfo("13.4").darwinVersion(), (TQCrashHostInfoVersion{13, 4, 0}));
    EXPECT_EQ(TQCrashHostInfo("garbage").darwinVersion(), (TQCrashHostInfoVersion{0, 0, 0}));

    utsname host{};
    ASSERT_EQ(uname(&host), 0);
    const auto current = TQCrashHostInfo::currentHostInfo();
    ASSERT_TRUE(current);
    EXPECT_EQ(current->darwinVersion(), TQCrashHostInfo(host.release).darwinVersion());
}

TEST(TQCrashProcessInfoTest, DescribesThisProcessAndItsParent) {
    const auto self = TQCrashProcessInfo::currentProcessInfo();
    ASSERT_TRUE(self);
    EXPECT_EQ(self->processID(), getpid());
    EXPECT_EQ(self->parentProcessID(), getppid());
    EXPECT_FALSE(self->isTraced());
    ASSERT_TRUE(self->processName().has_value());
    EXPECT_EQ(std::string("crashcapture_tests").rfind(*self->processName(), 0), 0u) << *self->processName();

    EXPECT_TRUE(TQCrashProcessInfo::initWithProcessID(getppid()));
    EXPECT_FALSE(TQCrashProcessInfo::initWithProcessID(-5));
}

TEST(TQCrashProcessInfoTest, CutsNamesToTheirLongestValidUtf8Prefix) {
    struct Row {
        const char* bytes;
        std::size_t length;
        std::size_t valid;
    };
    const Row rows[] = {
        {"plain", 16, 5},
        {"\xEF\xBB\xBFname", 16, 7},                            // a byte-order mark counts as valid
        {"abcdefghijklmn\xC3\xA9", 16, 16},                      // a two-byte letter that fits
        {"abcdefghijklmno\xC3\xA9", 16, 15},                     // cut before a letter split by the end
        {"ab\xE2\x82\xAC" "cd", 16, 7},                          // three-byte letter in the middle
        {"ab\xE2\x28\xA1", 16, 2},                               // a bad continuation byte ends it
        {"ab\xFF" "cd", 16, 2},                                  // so does a byte no letter starts with
        {"\xEF\xBB", 2, 0},                                      // too short to be a byte-order mark
    };
    for (const Row& row : rows) {
        EXPECT_EQ(tqcrash_utf8_valid_prefix_length(row.bytes, row.length), row.valid) << row.bytes;
    }
}

TEST(TQCrashErrorTest, NamesEveryStatusCode) {
    EXPECT_STREQ(tqcrash_strerror(TQCRASH_ESUCCESS), "No error");
    EXPECT_STREQ(tqcrash_strerror(TQCRASH_EINTERNAL), "Internal error");
    EXPECT_STREQ(tqcrash_strerror(TQCRASH_EINVALID_DATA), "The input data is in an unknown or invalid format.");
    EXPECT_STREQ(tqcrash_strerror(10), "Unhandled error code");
    EXPECT_STREQ(tqcrash_strerror(-1), "Unhandled error code");
}

TEST(TQCrashErrorTest, PopulatesOnlyAGivenError) {
    crash_error_populate(nullptr, TQCrashReporterErrorCode::Unknown, "ignored");

    TQCrashReporterError error;
    crash_error_populate_posix(&error, EINVAL, "Failed to register signal handler");
    EXPECT_EQ(error.code, TQCrashReporterErrorCode::OperatingSystem);
    EXPECT_EQ(error.description, "Failed to register signal handler");
    EXPECT_EQ(error.underlying, (TQCrashUnderlyingError{TQCrashUnderlyingError::Domain::Posix, EINVAL}));

    crash_error_populate_mach(&error, 5, "Failed to swap mach exception ports");
    EXPECT_EQ(error.underlying, (TQCrashUnderlyingError{TQCrashUnderlyingError::Domain::Mach, 5}));
}

} // namespace
} // namespace tqcrash
