#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A text handed to a TQKit call as pointer and length. It does not own the bytes: the caller keeps
// them alive for the duration of the call. The bytes need not be terminated.
struct TQKitStringRef final {
    const char* data = nullptr;
    size_t length = 0;

    constexpr TQKitStringRef() = default;
    constexpr TQKitStringRef(const char* bytes, size_t size) : data(bytes), length(size) {}
    constexpr TQKitStringRef(std::string_view text) : data(text.data()), length(text.size()) {}

    constexpr std::string_view view() const { return data ? std::string_view(data, length) : std::string_view(); }
    std::string str() const { return std::string(view()); }
    constexpr bool empty() const { return length == 0 || !data; }
};
