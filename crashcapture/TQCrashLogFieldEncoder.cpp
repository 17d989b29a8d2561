// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashLogFieldEncoder.h"

#include "crashcapture/TQCrashAsyncFile.h"

#include <cstdlib>
#include <cstring>

namespace tqcrash::async {

namespace {

enum wire_type : std::uint32_t { WIRE_VARINT = 0, WIRE_64BIT = 1, WIRE_LENGTH_DELIMITED = 2, WIRE_32BIT = 5 };

std::size_t emit(async_file* file, const void* bytes, std::size_t length) {
    if (file != nullptr && length > 0) {
        async_file_write(file, bytes, length); // a refused write is the size guard's business
    }
    return length;
}

std::size_t emit_varint(async_file* file, std::uint64_t value) {
    std::uint8_t bytes[10];
    std::size_t length = 0;
    do {
        bytes[length] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
        if (value != 0) {
            bytes[length] |= 0x80;
        }
        ++length;
    } while (value != 0);
    return emit(file, bytes, length);
}

template <typename T>
T load(const void* value) {
    T result;
    std::memcpy(&result, value, sizeof result);
    return result;
}

} // namespace

std::size_t crash_log_field_encode(async_file* file, std::uint32_t field, int type, const void* value) {
    auto key = [&](wire_type wire) { return emit_varint(file, (std::uint64_t{field} << 3) | wire); };
    switch (type) {
    case TQCRASH_PROTOBUF_INT32: {
        // A negative value takes the ten bytes of its sign extension, as the wire format says.
        const auto number = static_cast<std::int64_t>(load<std::int32_t>(value));
        return key(WIRE_VARINT) + emit_varint(file, static_cast<std::uint64_t>(number));
    }
    case TQCRASH_PROTOBUF_SINT32: {
        const std::int32_t number = load<std::int32_t>(value);
        const std::uint32_t zigzag =
            (static_cast<std::uint32_t>(number) << 1) ^ static_cast<std::uint32_t>(number >> 31);
        return key(WIRE_VARINT) + emit_varint(file, zigzag);
    }
    case TQCRASH_PROTOBUF_SFIXED32:
    case TQCRASH_PROTOBUF_FIXED32:
    case TQCRASH_PROTOBUF_FLOAT:
        return key(WIRE_32BIT) + emit(file, value, 4); // the host is little-endian, as the wire is
    case TQCRASH_PROTOBUF_INT64:
    case TQCRASH_PROTOBUF_UINT64:
        return key(WIRE_VARINT) + emit_varint(file, load<std::uint64_t>(value));
    case TQCRASH_PROTOBUF_SINT64: {
        const std::int64_t number = load<std::int64_t>(value);
        const std::uint64_t zigzag =
            (static_cast<std::uint64_t>(number) << 1) ^ static_cast<std::uint64_t>(number >> 63);
        return key(WIRE_VARINT) + emit_varint(file, zigzag);
    }
    case TQCRASH_PROTOBUF_SFIXED64:
    case TQCRASH_PROTOBUF_FIXED64:
    case TQCRASH_PROTOBUF_DOUBLE:
        return key(WIRE_64BIT) + emit(file, value, 8);
    case TQCRASH_PROTOBUF_UINT32:
    case TQCRASH_PROTOBUF_ENUM:
        return key(WIRE_VARINT) + emit_varint(file, load<std::uint32_t>(value));
    case TQCRASH_PROTOBUF_BOOL:
        return key(WIRE_VARINT) + emit(file, value, 1);
    case TQCRASH_PROTOBUF_STRING: {
        const auto* text = static_cast<const char*>(value);
        const auto length = static_cast<std::uint32_t>(std::strlen(text));
        return key(WIRE_LENGTH_DELIMITED) + emit_varint(file, length) + emit(file, text, length);
    }
    case TQCRASH_PROTOBUF_BYTES: {
        const auto* bytes = static_cast<const crash_log_bytes*>(value);
        return key(WIRE_LENGTH_DELIMITED) + emit_varint(file, bytes->length) +
               emit(file, bytes->data, bytes->length);
    }
    case TQCRASH_PROTOBUF_MESSAGE:
        return key(WIRE_LENGTH_DELIMITED) + emit_varint(file, load<std::uint32_t>(value));
    default:
        abort();
    }
}

} // namespace tqcrash::async
