#include "crashcapture/TQCrashAsyncFile.h"
#include "crashcapture/TQCrashLogFieldEncoder.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace tqcrash::async {
namespace {

// An anonymous in-memory file whose bytes the test reads back.
class MemoryFile final {
public:
    MemoryFile() : fd_(memfd_create("encoder", 0)) {}
    ~MemoryFile() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    int fd() const { return fd_; }
    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> all(static_cast<std::size_t>(lseek(fd_, 0, SEEK_END)));
        pread(fd_, all.data(), all.size(), 0);
        return all;
    }

private:
    int fd_;
};

using Bytes = std::vector<std::uint8_t>;

Bytes encode(std::uint32_t field, int type, const void* value) {
    MemoryFile memory;
    async_file file;
    async_file_init(&file, memory.fd(), 0);
    const std::size_t sized = crash_log_field_encode(nullptr, field, type, value);
    const std::size_t written = crash_log_field_encode(&file, field, type, value);
    EXPECT_TRUE(async_file_flush(&file));
    EXPECT_EQ(sized, written) << "the sizing pass counts what the writing pass writes";
    const Bytes bytes = memory.bytes();
    EXPECT_EQ(bytes.size(), written);
    return bytes;
}

TEST(TQCrashLogFieldEncoderTest, WritesTheWireBytesOfEveryFieldType) {
    const std::int32_t i32Positive = 150, i32Negative = -1, minusTwo32 = -2;
    const std::int32_t s32MinusOne = -1, s32One = 1;
    const std::uint32_t u32Max = 0xFFFFFFFF, fixed32 = 0x01020304, enumOne = 1, length300 = 300;
    const float one32 = 1.0f;
    const std::int64_t i64Negative = -1, s64MinusThree = -3, minusTwo64 = -2;
    const std::uint64_t u64 = 300, fixed64 = 1;
    const double one64 = 1.0;
    const std::uint8_t yes = 1;
    const std::uint8_t raw[] = {1, 2, 3};
    const crash_log_bytes bytes{sizeof raw, raw};
    const crash_log_bytes empty{0, nullptr};

    struct Row {
        std::uint32_t field;
        int type;
        const void* value;
        Bytes expected;
    };
    const Row rows[] = {
        {1, TQCRASH_PROTOBUF_INT32, &i32Positive, {0x08, 0x96, 0x01}},
        {1, TQCRASH_PROTOBUF_INT32, &i32Negative, {0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}},
        {2, TQCRASH_PROTOBUF_SINT32, &s32MinusOne, {0x10, 0x01}},
        {2, TQCRASH_PROTOBUF_SINT32, &s32One, {0x10, 0x02}},
        {3, TQCRASH_PROTOBUF_SFIXED32, &minusTwo32, {0x1D, 0xFE, 0xFF, 0xFF, 0xFF}},
        {3, TQCRASH_PROTOBUF_FIXED32, &fixed32, {0x1D, 0x04, 0x03, 0x02, 0x01}},
        {4, TQCRASH_PROTOBUF_FLOAT, &one32, {0x25, 0x00, 0x00, 0x80, 0x3F}},
        {5, TQCRASH_PROTOBUF_INT64, &i64Negative, {0x28, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}},
        {5, TQCRASH_PROTOBUF_UINT64, &u64, {0x28, 0xAC, 0x02}},
        {6, TQCRASH_PROTOBUF_SINT64, &s64MinusThree, {0x30, 0x05}},
        {7, TQCRASH_PROTOBUF_SFIXED64, &minusTwo64, {0x39, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {7, TQCRASH_PROTOBUF_FIXED64, &fixed64, {0x39, 0x01, 0, 0, 0, 0, 0, 0, 0}},
        {8, TQCRASH_PROTOBUF_DOUBLE, &one64, {0x41, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
        {9, TQCRASH_PROTOBUF_UINT32, &u32Max, {0x48, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}},
        {10, TQCRASH_PROTOBUF_ENUM, &enumOne, {0x50, 0x01}},
        {11, TQCRASH_PROTOBUF_BOOL, &yes, {0x58, 0x01}},
        {12, TQCRASH_PROTOBUF_STRING, "hi", {0x62, 0x02, 'h', 'i'}},
        {12, TQCRASH_PROTOBUF_STRING, "", {0x62, 0x00}},
        {13, TQCRASH_PROTOBUF_BYTES, &bytes, {0x6A, 0x03, 1, 2, 3}},
        {13, TQCRASH_PROTOBUF_BYTES, &empty, {0x6A, 0x00}},
        // A message field writes key and length only; its body follows from its own writer.
        {16, TQCRASH_PROTOBUF_MESSAGE, &length300, {0x82, 0x01, 0xAC, 0x02}},
        {1000, TQCRASH_PROTOBUF_ENUM, &enumOne, {0xC0, 0x3E, 0x01}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(encode(row.field, row.type, row.value), row.expected) << "field " << row.field << " type " << row.type;
    }
}

TEST(TQCrashLogFieldEncoderTest, AnUnknownTypeAbortsTheProcess) {
    const std::uint32_t value = 1;
    EXPECT_DEATH(crash_log_field_encode(nullptr, 1, 17, &value), "");
}

TEST(TQCrashAsyncFileTest, RefusesAWriteThatWouldPassTheLimitWhole) {
    MemoryFile memory;
    async_file file;
    async_file_init(&file, memory.fd(), 8);
    EXPECT_TRUE(async_file_write(&file, "12345", 5));
    EXPECT_FALSE(async_file_write(&file, "abcd", 4));
    EXPECT_TRUE(async_file_write(&file, "678", 3)) << "later writes that still fit are accepted";
    EXPECT_FALSE(async_file_write(&file, "9", 1));
    ASSERT_TRUE(async_file_flush(&file));
    EXPECT_EQ(memory.bytes(), (Bytes{'1', '2', '3', '4', '5', '6', '7', '8'}));
}

TEST(TQCrashAsyncFileTest, KeepsOrderAcrossBufferedAndStraightWrites) {
    MemoryFile memory;
    const int fd = dup(memory.fd());
    async_file file;
    async_file_init(&file, fd, 0);
    Bytes expected;
    const Bytes small(10, 'a');
    const Bytes large(300, 'b');
    const Bytes filler(250, 'c');
    for (const Bytes* part : {&small, &large, &filler, &small}) {
        ASSERT_TRUE(async_file_write(&file, part->data(), part->size()));
        expected.insert(expected.end(), part->begin(), part->end());
    }
    EXPECT_TRUE(async_file_close(&file));
    EXPECT_EQ(memory.bytes(), expected);
}

} // namespace
} // namespace tqcrash::async
