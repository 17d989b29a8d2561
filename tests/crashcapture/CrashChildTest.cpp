#include "ChildProcess.h"
#include "CrashChildPaths.h"
#include "ElfBuildId.h"
#include "crashcapture/TQCrashReport.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace tqcrash {
namespace {

struct CrashCase {
    const char* kind;
    int signal;
    const char* signalName;
};

// Every way the child crashes, in both of the reporter's modes.
const CrashCase kCases[] = {
    {"segv", SIGSEGV, "SIGSEGV"},
    {"wild", SIGSEGV, "SIGSEGV"},
    {"main-stack-overflow", SIGSEGV, "SIGSEGV"},
    {"thread-stack-overflow", SIGSEGV, "SIGSEGV"},
    {"bus", SIGBUS, "SIGBUS"},
    {"fpe", SIGFPE, "SIGFPE"},
    {"ill", SIGILL, "SIGILL"},
    {"trap", SIGTRAP, "SIGTRAP"},
    {"abrt", SIGABRT, "SIGABRT"},
    {"sys", SIGSYS, "SIGSYS"},
    {"cxx-exception", SIGABRT, "SIGABRT"},
    {"pc-zero", SIGSEGV, "SIGSEGV"},
    {"bad-sp", SIGSEGV, "SIGSEGV"},
    {"two-threads", SIGSEGV, "SIGSEGV"},
    {"many-threads", SIGSEGV, "SIGSEGV"},
    // Under a filter that refuses process_vm_readv: images and frames must still be read.
    {"sandboxed-segv", SIGSEGV, "SIGSEGV"},
    {"threads-segv", SIGSEGV, "SIGSEGV"},
    // A thread waits inside malloc holding its lock: a crash path that allocated would hang or fail.
    {"malloc-parked", SIGSEGV, "SIGSEGV"},
    // Sent from outside, with kill().
    {"sent-segv", SIGSEGV, "SIGSEGV"},
};

const char* const kModes[] = {"signal", "mach"};

void PrintTo(const CrashCase& crash, std::ostream* out) {
    *out << crash.kind;
}

class CrashChildTest : public ::testing::TestWithParam<std::tuple<CrashCase, const char*>> {};

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_P(CrashChildTest, LeavesAReportAndDiesByTheSignal) {
    const auto& [crash, mode] = GetParam();
    sonvale::test::TempDir folder;
    const auto reportPath = test::childReportPath(folder.path());

    const auto end = test::runChild({TQCRASH_CRASH_CHILD, crash.kind, folder.path().string(), mode},
                                    std::chrono::seconds(60));
    ASSERT_TRUE(end.has_value()) << "the child hung and was killed";
    ASSERT_TRUE(end->signaled) << "exited with " << end->exitCode;
    EXPECT_EQ(end->signal, crash.signal);

    const auto bytes = readFile(reportPath);
    ASSERT_GT(bytes.size(), 8u) << "no report written";
    EXPECT_LE(bytes.size(), 262144u);
    TQCrashReporterError error;
    const auto report = TQCrashReport::initWithDataError(bytes, &error);
    ASSERT_TRUE(report) << error.description;
    for (const auto& entry : std::filesystem::directory_iterator(reportPath.parent_path())) {
        EXPECT_NE(entry.path().extension(), ".tmp") << "a report left halfway: " << entry.path();
    }

    EXPECT_EQ(report->signalInfo().name(), crash.signalName);
    // In mach mode a fault reaches the reporter as an exception; an abort stays a signal.
    EXPECT_EQ(report->machExceptionInfo().has_value(), std::string(mode) == "mach" && crash.signal != SIGABRT);
    EXPECT_EQ(report->applicationInfo().applicationIdentifier(), "com.sonvale.crashchild");
    ASSERT_TRUE(report->hasProcessInfo());
    EXPECT_EQ(report->processInfo()->processPath(), std::string(TQCRASH_CRASH_CHILD));
    EXPECT_EQ(report->hasExceptionInfo(), std::string(crash.kind) == "cxx-exception");
    if (report->hasExceptionInfo()) {
        EXPECT_EQ(report->exceptionInfo()->exceptionName(), "std::runtime_error");
        EXPECT_EQ(report->exceptionInfo()->exceptionReason(), "nobody catches this");
    }

    const auto& threads = report->threads();
    ASSERT_EQ(std::count_if(threads.begin(), threads.end(), [](const auto& t) { return t.crashed(); }), 1);
    EXPECT_GE(threads.size(), 1u);
    const TQCrashReportThreadInfo& thread =
        *std::find_if(threads.begin(), threads.end(), [](const auto& t) { return t.crashed(); });
    ASSERT_EQ(thread.registers().size(), 21u);
    EXPECT_EQ(thread.registers()[0].registerName(), "rip");
    EXPECT_EQ(thread.registers()[2].registerName(), "rsp");
    ASSERT_FALSE(thread.stackFrames().empty());
    EXPECT_EQ(thread.stackFrames().front().instructionPointer(), thread.registers()[0].registerValue());
    EXPECT_LE(thread.stackFrames().size(), 512u);

    const TQCrashReportBinaryImageInfo* executable = nullptr;
    bool withLibc = false;
    for (const auto& image : report->images()) {
        if (image.imageName() == TQCRASH_CRASH_CHILD) {
            executable = &image;
        }
        withLibc = withLibc || image.imageName().find("libc.so") != std::string::npos;
    }
    ASSERT_NE(executable, nullptr) << "the executable is among the images";
    EXPECT_TRUE(withLibc) << "the libraries are among the images";
    EXPECT_EQ(executable->imageUUID(), test::elfBuildId(TQCRASH_CRASH_CHILD));
    ASSERT_TRUE(executable->codeType().has_value());
    EXPECT_EQ(executable->codeType()->type(), 0x1000007u);
}

// The codes come from this host: int3 arrives as SI_KERNEL and abort() as SI_TKILL, codes without a
// name in the table, so reports give their numbers.
TEST(CrashChildSignalCodesTest, ReportsCarryTheCodesOfTheSignal) {
    const struct {
        const char* kind;
        std::set<std::string> codeNames;
    } cases[] = {
        {"segv", {"SEGV_MAPERR"}},
        {"fpe", {"FPE_INTDIV"}},
        {"ill", {"ILL_ILLOPN"}},
        {"trap", {"#" + std::to_string(SI_KERNEL)}},
        {"bus", {"BUS_ADRERR"}},
        {"abrt", {"#" + std::to_string(SI_TKILL)}},
        {"thread-stack-overflow", {"SEGV_MAPERR", "SEGV_ACCERR"}},
    };
    for (const auto& crash : cases) {
        sonvale::test::TempDir folder;
        ASSERT_TRUE(test::runChild({TQCRASH_CRASH_CHILD, crash.kind, folder.path().string()}, std::chrono::seconds(60)));
        const auto report = TQCrashReport::initWithDataError(readFile(test::childReportPath(folder.path())), nullptr);
        ASSERT_TRUE(report) << crash.kind;
        EXPECT_TRUE(crash.codeNames.contains(report->signalInfo().code())) << crash.kind << ": " << report->signalInfo().code();
    }
}

const TQCrashReportThreadInfo& crashedThread(const TQCrashReport& report) {
    return *std::find_if(report.threads().begin(), report.threads().end(), [](const auto& t) { return t.crashed(); });
}

std::unique_ptr<TQCrashReport> crashChild(const char* kind, const std::filesystem::path& base) {
    const auto end = test::runChild({TQCRASH_CRASH_CHILD, kind, base.string()}, std::chrono::seconds(60));
    if (!end.has_value() || !end->signaled) {
        return nullptr;
    }
    return TQCrashReport::initWithDataError(readFile(test::childReportPath(base)), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Crashes, CrashChildTest, ::testing::Combine(::testing::ValuesIn(kCases), ::testing::ValuesIn(kModes)),
                         [](const auto& info) {
                             std::string name = std::string(std::get<0>(info.param).kind) + "_" + std::get<1>(info.param);
                             std::erase(name, '-');
                             return name;
                         });

// In mach mode what the program deals with itself leaves no report, and the thread goes on: an
// exception that the registration in place before the reporter's repairs, and a crash signal sent
// from outside that a handler of the program catches (uncaught, it is reported: "sent-segv" above).
TEST(CrashChildMachTest, WhatTheProgramDealsWithItselfLeavesNoReport) {
    for (const char* kind : {"earlier-handler", "sent-segv-caught"}) {
        sonvale::test::TempDir folder;
        const auto end = test::runChild({TQCRASH_CRASH_CHILD, kind, folder.path().string(), "mach"},
                                        std::chrono::seconds(60));
        ASSERT_TRUE(end.has_value()) << kind << ": the child hung and was killed";
        EXPECT_FALSE(end->signaled) << kind << " died by signal " << end->signal;
        EXPECT_EQ(end->exitCode, 0) << kind;
        EXPECT_FALSE(std::filesystem::exists(test::childReportPath(folder.path()))) << kind;
    }
}

// Once the report is closed the post-crash callback runs with the crash's signal, in both modes.
TEST(CrashChildCallbackTest, ThePostCrashCallbackRunsAfterTheReportWithTheSignal) {
    for (const char* mode : kModes) {
        sonvale::test::TempDir folder;
        const auto end = test::runChild({TQCRASH_CRASH_CHILD, "callback", folder.path().string(), mode},
                                        std::chrono::seconds(60));
        ASSERT_TRUE(end.has_value() && end->signaled) << mode;
        std::string written;
        std::ifstream(folder.path() / "callback") >> written;
        EXPECT_EQ(written, std::to_string(SIGSEGV)) << mode;
        EXPECT_TRUE(TQCrashReport::initWithDataError(readFile(test::childReportPath(folder.path())), nullptr)) << mode;
    }
}

// In mach mode the report carries the exception behind the signal, and the crashed thread is the
// faulting one, not the exception server's thread that wrote the report.
TEST(CrashChildMachTest, AReportCarriesTheMachException) {
    sonvale::test::TempDir folder;
    const auto end = test::runChild({TQCRASH_CRASH_CHILD, "wild", folder.path().string(), "mach"},
                                    std::chrono::seconds(60));
    ASSERT_TRUE(end.has_value() && end->signaled);
    const auto report = TQCrashReport::initWithDataError(readFile(test::childReportPath(folder.path())), nullptr);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->signalInfo().code(), "SEGV_MAPERR");
    EXPECT_EQ(report->signalInfo().address(), 0x5eadbeef000u);
    ASSERT_TRUE(report->machExceptionInfo().has_value());
    EXPECT_EQ(report->machExceptionInfo()->type(), 1u); // EXC_BAD_ACCESS
    EXPECT_EQ(report->machExceptionInfo()->codes(), (std::vector<std::uint64_t>{1, 0x5eadbeef000u}));
    EXPECT_GE(report->threads().size(), 2u) << "the faulting thread and the server's";
    const auto& crashed = crashedThread(*report);
    const auto* image = report->imageForAddress(crashed.stackFrames().front().instructionPointer());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->imageName(), TQCRASH_CRASH_CHILD) << "the crashed thread faulted in the child's code";
}

// The crash happens in a function of the executable: the walk from it reaches main().
TEST(CrashChildFramesTest, CrashedFramesPointIntoTheExecutable) {
    sonvale::test::TempDir folder;
    const auto report = crashChild("segv", folder.path());
    ASSERT_TRUE(report);
    const auto& frames = crashedThread(*report).stackFrames();
    ASSERT_GE(frames.size(), 2u) << "the crashing function and its caller";
    for (std::size_t i = 0; i < 2; ++i) {
        const auto* image = report->imageForAddress(frames[i].instructionPointer());
        ASSERT_NE(image, nullptr) << "frame " << i;
        EXPECT_EQ(image->imageName(), TQCRASH_CRASH_CHILD) << "frame " << i;
    }
}

// abort() raises inside the C library, far from any frame pointer: the report still shows the
// whole chain, through abort to the crashing function and on to main, and no made-up frames.
TEST(CrashChildFramesTest, AnAbortsReportShowsItsCallersUpToMain) {
    sonvale::test::TempDir folder;
    const auto report = crashChild("abrt", folder.path());
    ASSERT_TRUE(report);
    std::uint64_t inMain = 0;
    std::ifstream(folder.path() / "abrt.caller") >> inMain;
    ASSERT_NE(inMain, 0u);
    std::vector<std::uint64_t> pcs;
    for (const auto& frame : crashedThread(*report).stackFrames()) {
        pcs.push_back(frame.instructionPointer());
    }
    EXPECT_NE(std::find(pcs.begin(), pcs.end(), inMain), pcs.end()) << "main's frame among " << pcs.size();
    EXPECT_LT(pcs.size(), 40u);
    EXPECT_EQ(std::adjacent_find(pcs.begin(), pcs.end()), pcs.end()) << "no frame repeats";
}

// Fifty threads wait in a function of their own: each is in the report, walked into that function.
TEST(CrashChildFramesTest, AReportHoldsEveryThreadWithItsFrames) {
    sonvale::test::TempDir folder;
    const auto report = crashChild("threads-segv", folder.path());
    ASSERT_TRUE(report);
    ASSERT_GE(report->threads().size(), 51u);
    int walked = 0;
    for (const auto& thread : report->threads()) {
        walked += thread.stackFrames().size() >= 3 ? 1 : 0;
    }
    EXPECT_GE(walked, 51);
    EXPECT_EQ(report->threads().front().threadNumber(), 0);
}

} // namespace
} // namespace tqcrash
