#include "platform/tqkit/TQKitTextBuffer.h"

#include <cstring>

void TQKitCopyTextToBuffer(std::string_view text, char* out, size_t outSize)
{
    if (!out || outSize == 0)
        return;
    size_t length = text.size();
    if (length > outSize - 1) {
        length = outSize - 1;
        // Step back over continuation bytes to the lead byte of the cut sequence, then drop it.
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    }
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}
