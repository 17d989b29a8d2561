#include "platform/darwin/MachCpu.h"
#include "platform/darwin/Sysctl.h"

#include <gtest/gtest.h>

#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

namespace sonvale::darwin {
namespace {

std::string readText(const char* name) {
    std::size_t size = 0;
    EXPECT_EQ(sysctlbyname(name, nullptr, &size), 0) << name;
    std::string text(size, '\0');
    EXPECT_EQ(sysctlbyname(name, text.data(), &size), 0) << name;
    EXPECT_EQ(text.back(), '\0') << "texts carry their terminator, as the BSD call gives them";
    text.pop_back();
    return text;
}

std::int32_t readInt(const char* name) {
    std::int32_t value = 0;
    std::size_t size = sizeof value;
    EXPECT_EQ(sysctlbyname(name, &value, &size), 0) << name;
    EXPECT_EQ(size, sizeof value);
    return value;
}

TEST(SysctlTest, AnswersKernelTextsFromUname) {
    utsname host{};
    ASSERT_EQ(uname(&host), 0);
    EXPECT_EQ(readText("kern.osrelease"), host.release);
    EXPECT_EQ(readText("kern.osversion"), host.version);
}

TEST(SysctlTest, AnswersProcessorFacts) {
    EXPECT_EQ(readInt("hw.cputype"), hostCpuType().type);
    EXPECT_EQ(readInt("hw.cpusubtype"), hostCpuType().subtype);
    EXPECT_EQ(readInt("hw.logicalcpu_max"), sysconf(_SC_NPROCESSORS_CONF));
    const std::int32_t physical = readInt("hw.physicalcpu_max");
    EXPECT_GE(physical, 1);
    EXPECT_LE(physical, readInt("hw.logicalcpu_max"));
    EXPECT_EQ(readInt("sysctl.proc_native"), 1);
}

TEST(SysctlTest, RefusesSmallBuffersAndUnknownNames) {
    char tiny[2];
    std::size_t size = sizeof tiny;
    errno = 0;
    EXPECT_EQ(sysctlbyname("kern.osrelease", tiny, &size), -1);
    EXPECT_EQ(errno, ENOMEM);
    EXPECT_GT(size, sizeof tiny) << "the size needed comes back";

    size = 4;
    std::int32_t value = 0;
    errno = 0;
    EXPECT_EQ(sysctlbyname("kern.no_such_value", &value, &size), -1);
    EXPECT_EQ(errno, ENOENT);
}

} // namespace
} // namespace sonvale::darwin
