#include "ChildProcess.h"
#include "ElfBuildId.h"
#include "crashcapture/TQCrashReport.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

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

    ASSERT_EQ(report->threads().size(), 1u) << "until other threads can be stopped, the crashed one alone";
    const TQCrashReportThreadInfo& thread = report->threads().front();
    EXPECT_TRUE(thread.crashed());
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

INSTANTIATE_TEST_SUITE_P(Signals, CrashChildTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                             std::string name = info.param.kind;
                             std::erase(name, '-');
                             return name;
                         });

// The crash happens in a function of the executable: the frame-pointer walk from it reaches main().
TEST(CrashChildFramesTest, CrashedFramesPointIntoTheExecutable) {
    sonvale::test::TempDir folder;
    const auto reportPath = folder.path() / "live_report.tqcrash";
    const auto end = test::runChild({TQCRASH_CRASH_CHILD, "segv", reportPath.string()}, std::chrono::seconds(60));
    ASSERT_TRUE(end.has_value());
    const auto report = TQCrashReport::initWithDataError(readFile(reportPath), nullptr);
    ASSERT_TRUE(report);
    const auto& frames = report->threads().front().stackFrames();
    ASSERT_GE(frames.size(), 2u) << "the crashing function and its caller";
    for (std::size_t i = 0; i < 2; ++i) {
        const auto* image = report->imageForAddress(frames[i].instructionPointer());
        ASSERT_NE(image, nullptr) << "frame " << i;
        EXPECT_EQ(image->imageName(), TQCRASH_CRASH_CHILD) << "frame " << i;
    }
}

} // namespace
} // namespace tqcrash
