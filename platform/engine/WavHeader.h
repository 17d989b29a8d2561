#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sonvale::engine {

// What a WAV file's own header promises, read apart from the decoder: FFmpeg cuts the data chunk to
// what the file holds, so a truncated file would otherwise look whole.
class WavHeader final {
public:
    // The size in bytes that the data chunk declares (RF64's 64-bit size too); none when the file
    // is no WAV file or leaves the size open (0 or 0xFFFFFFFF, as some recorders write it).
    static std::optional<uint64_t> declaredDataBytes(const std::string& path);
};

} // namespace sonvale::engine
