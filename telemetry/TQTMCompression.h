#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Gzip of request bodies. Stateless.
class TQTMCompression final {
public:
    TQTMCompression() = delete;

    // Nothing for empty input, or when zlib fails (logged).
    static std::optional<std::vector<uint8_t>> compressData(const std::vector<uint8_t>& data);
};
