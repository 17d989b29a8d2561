// libFuzzer target: CUE sheet bytes through the character-set decoder, the line scan and libcue.
#include "platform/engine/lists/CueSheetReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sonvale::lists;
    static const CueSheetReader reader;
    CueSheet sheet;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!reader.readBytes(bytes, "/nonexistent-fuzz-folder", sheet))
        return 0;
    for (const CueTrack& track : sheet.tracks) {
        int64_t start = 0;
        int64_t length = 0;
        (void)track.sampleRange(44'100, int64_t{44'100} * 3600 * 100, start, length);
    }
    (void)sheet.imageFiles();
    return 0;
}
