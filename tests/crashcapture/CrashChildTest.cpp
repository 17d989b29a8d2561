#include "ChildProcess.h"
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
    std::set<std::string> codeNames; // what this host gives for the way the child crashes
};

// Codes come from this host: int3 arrives as SI_KERNEL and abort() as SI_TKILL, codes without a
// name in the table, so reports give their numbers.
const CrashCase kCases[] = {
    {"segv", SIGSEGV, "SIGSEGV", {"SEGV_MAPERR"}},
    {"fpe", SIGFPE, "SIGFPE", {"FPE_INTDIV"}},
    {"ill", SIGILL, "SIGILL", {"ILL_ILLOPN"}},
    {"trap", SIGTRAP, "SIGTRAP", {"#" + std::to_string(SI_KERNEL)}},
    {"bus", SIGBUS, "SIGBUS", {"BUS_ADRERR"}},
    {"abrt", SIGABRT, "SIGABRT", {"#" + std::to_string(SI_TKILL)}},
    {"thread-stack-overflow", SIGSEGV, "SIGSEGV", {"SEGV_MAPERR", "SEGV_ACCERR"}},
    // Under a filter that refuses process_vm_readv: images and frames must still be read.
    {"sandboxed-segv", SIGSEGV, "SIGSEGV", {"SEGV_MAPERR"}},
    {"threads-segv", SIGSEGV, "SIGSEGV", {"SEGV_MAPERR"}},
};

void PrintTo(const CrashCase& crash, std::ostream* out) {
    *out << crash.kind;
}

class CrashChildTest : public ::testing::TestWithParam<CrashCase> {};

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_P(CrashChildTest, LeavesAReportAndDiesByTheSignal) {
    const CrashCase& crash = GetParam();
    sonvale::test::TempDir folder;
    const auto reportPath = folder.path() / "live_report.tqcrash";

    const auto end = test::runChild({TQCRASH_CRASH_CHILD, crash.kind, reportPath.string()}, std::chrono::seconds(60));
    ASSERT_TRUE(end.has_value()) << "the child hung and was killed";
    ASSERT_TRUE(end->signaled) << "exited with " << end->exitCode;
    EXPECT_EQ(end->signal, crash.signal);

    const auto bytes = readFile(reportPath);
    ASSERT_GT(bytes.size(), 8u) << "no report written";
    EXPECT_LE(bytes.size(), 262144u);
    TQCrashReporterError error;
    const auto report = TQCrashReport::initWithDataError(bytes, &error);
    ASSERT_TRUE(report) << error.description;

    EXPECT_EQ(report->signalInfo().name(), crash.signalName);
    EXPECT_TRUE(crash.codeNames.contains(report->signalInfo().code())) << report->signalInfo().code();
    EXPECT_EQ(report->applicationInfo().applicationIdentifier(), "com.sonvale.crashchild");
    ASSERT_TRUE(report->hasProcessInfo());
    EXPECT_EQ(report->processInfo()->processPath(), std::string(TQCRASH_CRASH_CHILD));

    const auto& threads = report->threads();
    ASSERT_EQ(std::count_if(threads.begin(), threads.end(), [](const auto& t) { return t.crashed(); }), 1);
    const TQCrashReportThreadInfo& thread =
        *std::find_if(threads.begin(), threads.end(), [](const auto& t) { return t.crashed(); });
    ASSERT_EQ(thread.registers().size(), 21u);
    EXPECT_EQ(thread.registers()[0].registerName(), "rip");
    EXPECT_EQ(thread.registers()[2].registerName(), "rsp");
    ASSERT_FALSE(thread.stackFrames().empty());
    EXPECT_EQ(thread.stackFrames().front().instructionPointer(), thread.registers()[0].registerValue());
    EXPECT_LE(thread.stackFrames().size(), 512u);

    const TQCrashReportBinaryImageInfo* executable = nullptr;
    for (const auto& image : report->images()) {
        if (image.imageName() == TQCRASH_CRASH_CHILD) {
            executable = &image;
        }
    }
    ASSERT_NE(executable, nullptr) << "the executable is among the images";
    EXPECT_EQ(executable->imageUUID(), test::elfBuildId(TQCRASH_CRASH_CHILD));
    ASSERT_TRUE(executable->codeType().has_value());
    EXPECT_EQ(executable->codeType()->type(), 0x1000007u);
}

const TQCrashReportThreadInfo& crashedThread(const TQCrashReport& report) {
    return *std::find_if(report.threads().begin(), report.threads().end(), [](const auto& t) { return t.crashed(); });
}

std::unique_ptr<TQCrashReport> crashChild(const char* kind, const std::filesystem::path& reportPath) {
    const auto end = test::runChild({TQCRASH_CRASH_CHILD, kind, reportPath.string()}, std::chrono::seconds(60));
    if (!end.has_value() || !end->signaled) {
        return nullptr;
    }
    return TQCrashReport::initWithDataError(readFile(reportPath), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Signals, CrashChildTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                             std::string name = info.param.kind;
                             std::erase(name, '-');
                             return name;
                         });

// The crash happens in a function of the executable: the walk from it reaches main().
TEST(CrashChildFramesTest, CrashedFramesPointIntoTheExecutable) {
    sonvale::test::TempDir folder;
    const auto report = crashChild("segv", folder.path() / "live_report.tqcrash");
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
    const auto reportPath = folder.path() / "live_report.tqcrash";
    const auto report = crashChild("abrt", reportPath);
    ASSERT_TRUE(report);
    std::uint64_t inMain = 0;
    std::ifstream(reportPath.string() + ".caller") >> inMain;
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
    const auto report = crashChild("threads-segv", folder.path() / "live_report.tqcrash");
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
