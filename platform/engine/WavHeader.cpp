#include "platform/engine/WavHeader.h"

#include <cstring>
#include <fstream>

namespace sonvale::engine {
namespace {

uint64_t littleEndian(const unsigned char* bytes, int count)
{
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

} // namespace

std::optional<uint64_t> WavHeader::declaredDataBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char head[12];
    if (!in.read(reinterpret_cast<char*>(head), sizeof head) || std::memcmp(head + 8, "WAVE", 4) != 0)
        return std::nullopt;
    const bool rf64 = std::memcmp(head, "RF64", 4) == 0;
    if (!rf64 && std::memcmp(head, "RIFF", 4) != 0)
        return std::nullopt;
    std::optional<uint64_t> rf64DataBytes;
    unsigned char chunk[8];
    while (in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) {
        const uint64_t size = littleEndian(chunk + 4, 4);
        if (std::memcmp(chunk, "ds64", 4) == 0 && size >= 16) {
            unsigned char sizes[16];
            if (!in.read(reinterpret_cast<char*>(sizes), sizeof sizes))
                return std::nullopt;
            rf64DataBytes = littleEndian(sizes + 8, 8);
            in.seekg(std::streamoff(size - 16 + (size & 1)), std::ios::cur);
            continue;
        }
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (rf64 && size == 0xffffffffu)
                return rf64DataBytes;
            if (size == 0 || size == 0xffffffffu)
                return std::nullopt;
            return size;
        }
        in.seekg(std::streamoff(size + (size & 1)), std::ios::cur);
    }
    return std::nullopt;
}

} // namespace sonvale::engine
