#pragma once

#include <cstddef>
#include <cstdint>

namespace tqcrash::async {

struct async_file;

// Wire types of the encoder, by the numbers the report writer passes.
enum crash_log_field_type : int {
    TQCRASH_PROTOBUF_INT32 = 0,
    TQCRASH_PROTOBUF_SINT32 = 1,
    TQCRASH_PROTOBUF_SFIXED32 = 2,
    TQCRASH_PROTOBUF_INT64 = 3,
    TQCRASH_PROTOBUF_SINT64 = 4,
    TQCRASH_PROTOBUF_SFIXED64 = 5,
    TQCRASH_PROTOBUF_UINT32 = 6,
    TQCRASH_PROTOBUF_FIXED32 = 7,
    TQCRASH_PROTOBUF_UINT64 = 8,
    TQCRASH_PROTOBUF_FIXED64 = 9,
    TQCRASH_PROTOBUF_FLOAT = 10,
    TQCRASH_PROTOBUF_DOUBLE = 11,
    TQCRASH_PROTOBUF_BOOL = 12,
    TQCRASH_PROTOBUF_ENUM = 13,
    TQCRASH_PROTOBUF_STRING = 14,
    TQCRASH_PROTOBUF_BYTES = 15,
    TQCRASH_PROTOBUF_MESSAGE = 16,
};

// The value of a bytes field.
struct crash_log_bytes {
    std::size_t length;
    const void* data;
};

// Encodes one field: its key, then the value `value` points at, read as the type says (a 32-bit
// integer for int32/sint32/uint32/enum/fixed32, a 64-bit one for the 64-bit kinds, one byte for
// bool, a zero-terminated string for string, a crash_log_bytes for bytes, and a 32-bit body length
// for message, whose body the caller writes next). Returns the bytes the field takes, and writes
// them when `file` is given (no file: a sizing pass). A type above 16 aborts the process.
// Safe in a signal handler.
std::size_t crash_log_field_encode(async_file* file, std::uint32_t field, int type, const void* value);

} // namespace tqcrash::async
