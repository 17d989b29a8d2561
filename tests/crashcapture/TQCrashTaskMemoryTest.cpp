#include "ChildProcess.h"
#include "Sandbox.h"
#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashMemoryObject.h"
#include "crashcapture/TQCrashTaskMemory.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace tqcrash::async {
namespace {

std::uint64_t addressOf(const void* pointer) {
    return reinterpret_cast<std::uintptr_t>(pointer);
}

// Two pages: the first readable, the second unmapped, or mapped without read permission.
class TwoPages final {
public:
    explicit TwoPages(bool secondMapped) {
        page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        base_ = static_cast<char*>(mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        std::memset(base_, 0x5A, page_);
        if (secondMapped) {
            mprotect(base_ + page_, page_, PROT_NONE);
        } else {
            munmap(base_ + page_, page_);
        }
    }
    ~TwoPages() { munmap(base_, 2 * page_); }
    std::uint64_t first() const { return addressOf(base_); }
    std::uint64_t second() const { return addressOf(base_ + page_); }
    std::size_t page() const { return page_; }

private:
    std::size_t page_;
    char* base_;
};

// What every read must do, with or without process_vm_readv: copy readable memory, refuse the
// rest without faulting. Returns a description of the first failure, or empty.
std::string checkReads() {
    const std::uint64_t word = 0x1122334455667788;
    std::uint64_t copy = 0;
    if (task_memory_read(addressOf(&word), 0, &copy, sizeof copy) != TQCRASH_ESUCCESS || copy != word) {
        return "a readable word was not copied";
    }
    for (bool secondMapped : {false, true}) {
        TwoPages pages(secondMapped);
        std::vector<char> buffer(2 * pages.page());
        if (task_memory_read(pages.second(), 0, buffer.data(), 8) == TQCRASH_ESUCCESS) {
            return secondMapped ? "a page without read permission was read" : "an unmapped page was read";
        }
        if (task_memory_read(pages.first(), 0, buffer.data(), buffer.size()) == TQCRASH_ESUCCESS) {
            return "a read running into the second page succeeded";
        }
        tqcrash_async_mobject object;
        if (mobject_map_task_range(&object, pages.first() + 16, 2 * pages.page(), false) != TQCRASH_ESUCCESS ||
            mobject_length(&object) != pages.page() - 16) {
            return "a partial memory object does not cover exactly the readable page";
        }
        std::uint8_t byte = 0;
        if (mobject_read_byte(&object, pages.second(), -1, &byte) != TQCRASH_ESUCCESS || byte != 0x5A ||
            mobject_read_byte(&object, pages.second(), 0, &byte) != TQCRASH_EINVAL) {
            return "a memory object reads past its readable part";
        }
        if (mobject_map_task_range(&object, pages.first(), 2 * pages.page(), true) == TQCRASH_ESUCCESS) {
            return "a full memory object was made over an unreadable page";
        }
    }
    if (task_memory_read(UINT64_MAX - 3, 0, &copy, sizeof copy) == TQCRASH_ESUCCESS ||
        task_memory_read(8, -16, &copy, sizeof copy) != TQCRASH_ENOMEM) {
        return "an address that wraps around was read";
    }
    return {};
}

TEST(TQCrashTaskMemoryTest, ReadsCopyReadableMemoryAndRefuseTheRest) {
    EXPECT_EQ(checkReads(), "");
}

// A sandbox that refuses process_vm_readv: reads fall back and still check every range. Runs in
// a child, because the filter stays for the life of the process.
TEST(TQCrashTaskMemoryTest, ReadsUnderAFilterThatRefusesProcessVmReadvStillWorkAndStillCheck) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeEnds[0]);
        std::string failure = !test::refuseProcessVmReadv()       ? "the filter was not installed"
                              : !test::processVmReadvIsRefused() ? "process_vm_readv was not refused"
                                                                 : checkReads();
        (void)!write(pipeEnds[1], failure.data(), failure.size());
        _exit(failure.empty() ? 0 : 1);
    }
    close(pipeEnds[1]);
    char message[256] = {};
    (void)!read(pipeEnds[0], message, sizeof message - 1);
    close(pipeEnds[0]);
    const auto end = test::waitForChild(child, std::chrono::seconds(60));
    ASSERT_TRUE(end.has_value());
    EXPECT_FALSE(end->signaled) << "the child faulted: signal " << end->signal;
    EXPECT_EQ(end->exitCode, 0) << message;
}

TEST(TQCrashTaskMemoryTest, ByteOrderTablesSwapOrKeep) {
    const auto* swapped = tqcrash_async_byteorder_swapped();
    const auto* direct = tqcrash_async_byteorder_direct();
    EXPECT_EQ(swapped->swap16(0x1122), 0x2211);
    EXPECT_EQ(swapped->swap32(0x11223344u), 0x44332211u);
    EXPECT_EQ(swapped->swap64(0x1122334455667788u), 0x8877665544332211u);
    EXPECT_EQ(direct->swap64(0x1122334455667788u), 0x1122334455667788u);
    std::uint32_t value = 0;
    const std::uint32_t stored = 0x01020304;
    ASSERT_EQ(task_memory_read_u32(swapped, addressOf(&stored), 0, &value), TQCRASH_ESUCCESS);
    EXPECT_EQ(value, 0x04030201u);
}

TEST(TQCrashTaskMemoryTest, StringCompareStopsAtTheLimitOrACommonTerminator) {
    EXPECT_EQ(async_strncmp("__TEXT", "__TEXT\0\0\0", 16), 0);
    EXPECT_EQ(async_strncmp("__TEXTX", "__TEXTY", 6), 0);
    EXPECT_LT(async_strncmp("abc", "abd", 16), 0);
    EXPECT_GT(async_strncmp("abcd", "abc", 16), 0);
}

struct LebCase {
    std::vector<std::uint8_t> bytes;
    tqcrash_error_t status;
    std::uint64_t unsignedValue;
    std::int64_t signedValue;
    std::size_t size;
};

TEST(TQCrashMemoryObjectTest, Leb128ValuesAreReadWithinTheObjectOnly) {
    const LebCase cases[] = {
        {{0x02}, TQCRASH_ESUCCESS, 2, 2, 1},
        {{0x7F}, TQCRASH_ESUCCESS, 127, -1, 1},
        {{0xE5, 0x8E, 0x26}, TQCRASH_ESUCCESS, 624485, 624485, 3},
        {{0xC0, 0xBB, 0x78}, TQCRASH_ESUCCESS, 0x1E1DC0, -123456, 3},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}, TQCRASH_ESUCCESS, UINT64_MAX, -1, 10},
        // Still continuing after 64 bits.
        {{0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01}, TQCRASH_ENOTSUP, 0, 0, 0},
        // The last byte lies outside the object.
        {{0x80, 0x80}, TQCRASH_EINVAL, 0, 0, 0},
    };
    for (const LebCase& c : cases) {
        tqcrash_async_mobject object;
        ASSERT_EQ(mobject_map_task_range(&object, addressOf(c.bytes.data()), c.bytes.size(), true), TQCRASH_ESUCCESS);
        std::uint64_t u = 0;
        std::int64_t s = 0;
        std::size_t size = 0;
        EXPECT_EQ(mobject_read_uleb128(&object, addressOf(c.bytes.data()), 0, &u, &size), c.status);
        if (c.status == TQCRASH_ESUCCESS) {
            EXPECT_EQ(u, c.unsignedValue);
            EXPECT_EQ(size, c.size);
        }
        EXPECT_EQ(mobject_read_sleb128(&object, addressOf(c.bytes.data()), 0, &s, &size), c.status);
        if (c.status == TQCRASH_ESUCCESS) {
            EXPECT_EQ(s, c.signedValue);
        }
        mobject_unmap(&object);
    }
}

TEST(TQCrashMemoryObjectTest, PointersAndValuesOutsideTheObjectAreRefused) {
    const std::uint32_t words[4] = {1, 2, 3, 4};
    tqcrash_async_mobject object;
    ASSERT_EQ(mobject_map_task_range(&object, addressOf(&words[1]), 8, true), TQCRASH_ESUCCESS);
    EXPECT_EQ(mobject_task_address(&object), addressOf(&words[1]));
    std::uint32_t value = 0;
    EXPECT_EQ(mobject_read_u32(&object, tqcrash_async_byteorder_direct(), addressOf(&words[1]), 4, &value),
              TQCRASH_ESUCCESS);
    EXPECT_EQ(value, 3u);
    EXPECT_EQ(mobject_read_u32(&object, tqcrash_async_byteorder_direct(), addressOf(&words[1]), -4, &value),
              TQCRASH_EINVAL);
    EXPECT_EQ(mobject_read_u32(&object, tqcrash_async_byteorder_direct(), addressOf(&words[1]), 6, &value),
              TQCRASH_EINVAL);
    EXPECT_EQ(mobject_local_pointer(&object, addressOf(&words[1]), INT64_MAX, 1), nullptr);
    EXPECT_EQ(mobject_local_pointer(&object, UINT64_MAX, 2, 1), nullptr);
}

} // namespace
} // namespace tqcrash::async
