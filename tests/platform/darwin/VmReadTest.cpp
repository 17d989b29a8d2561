#include "platform/darwin/VmRead.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace sonvale::darwin {
namespace {

TEST(VmReadTest, CopiesReadableMemory) {
    const char source[] = "readable bytes";
    char copy[sizeof source] = {};
    std::uint64_t copied = 0;
    EXPECT_EQ(vm_read_overwrite(reinterpret_cast<std::uintptr_t>(source), sizeof source, copy, &copied),
              KERN_SUCCESS);
    EXPECT_EQ(copied, sizeof source);
    EXPECT_STREQ(copy, source);
}

TEST(VmReadTest, ReportsUnmappedMemoryInsteadOfFaulting) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    auto* mapping = static_cast<char*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE,
                                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(mapping, MAP_FAILED);
    ASSERT_EQ(munmap(mapping + page, page), 0);
    std::memset(mapping, 'x', page);

    char buffer[64];
    std::uint64_t copied = 0;
    EXPECT_EQ(vm_read_overwrite(8, sizeof buffer, buffer, &copied), KERN_INVALID_ADDRESS);
    EXPECT_EQ(copied, 0u);

    // A range that runs off the end of a mapping copies what it can and still reports the gap.
    std::uint64_t across = reinterpret_cast<std::uintptr_t>(mapping + page - 16);
    EXPECT_EQ(vm_read_overwrite(across, sizeof buffer, buffer, &copied), KERN_INVALID_ADDRESS);
    EXPECT_EQ(copied, 16u);
    munmap(mapping, page);
}

} // namespace
} // namespace sonvale::darwin
