#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sonvale {

// A 128-bit universally unique identifier. Its text is the usual 8-4-4-4-12 hex form in upper case.
class Uuid final {
public:
    using Bytes = std::array<uint8_t, 16>;

    Uuid() = default; // all zero
    explicit Uuid(const Bytes& bytes) : bytes_(bytes) {}

    // A random (version 4) identifier from the kernel's random source.
    static Uuid random();
    // Parses the 36-character text in either case; nothing for anything else.
    static std::optional<Uuid> fromString(std::string_view text);

    std::string toString() const;
    const Bytes& bytes() const { return bytes_; }

    friend bool operator==(const Uuid&, const Uuid&) = default;

private:
    Bytes bytes_{};
};

} // namespace sonvale
