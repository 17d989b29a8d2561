#include "platform/darwin/ExecutablePath.h"
#include "platform/darwin/ProcessTable.h"

#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <string>

namespace sonvale::darwin {
namespace {

TEST(ProcessTableTest, DescribesThisProcess) {
    char name[16] = {};
    ASSERT_EQ(prctl(PR_GET_NAME, name), 0);

    kinfo_proc entry;
    ASSERT_EQ(sysctlProcessByPid(getpid(), &entry), 0);
    EXPECT_EQ(entry.p_pid, getpid());
    EXPECT_EQ(entry.p_ppid, getppid());
    EXPECT_STREQ(entry.p_comm, name);
    EXPECT_EQ(entry.p_flag & P_TRACED, 0);
    EXPECT_LE(entry.p_starttime.tv_sec, std::time(nullptr));
    EXPECT_GT(entry.p_starttime.tv_sec, std::time(nullptr) - 24 * 3600 * 365) << "a start time since 1970";
}

TEST(ProcessTableTest, KeepsCommandNamesWithParenthesesWhole) {
    ASSERT_EQ(prctl(PR_SET_NAME, "odd (name) x"), 0);
    kinfo_proc entry;
    ASSERT_EQ(sysctlProcessByPid(getpid(), &entry), 0);
    EXPECT_STREQ(entry.p_comm, "odd (name) x");
}

TEST(ProcessTableTest, RefusesAProcessThatIsGone) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    ASSERT_GT(child, 0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    kinfo_proc entry;
    errno = 0;
    EXPECT_EQ(sysctlProcessByPid(child, &entry), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(ProcessTableTest, GivesTheExecutablePathAfterASizeQuery) {
    std::uint32_t size = 0;
    EXPECT_EQ(NSGetExecutablePath(nullptr, &size), -1);
    std::string path(size, '\0');
    ASSERT_EQ(NSGetExecutablePath(path.data(), &size), 0);
    path.pop_back();
    EXPECT_EQ(path, std::filesystem::read_symlink("/proc/self/exe").string());
}

} // namespace
} // namespace sonvale::darwin
