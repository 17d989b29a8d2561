#include "platform/tqkit/TQKitTextBuffer.h"

#include "platform/tqkit/TQKitUtf8.h"

#include <cstring>

void TQKitCopyTextToBuffer(std::string_view text, char* out, size_t outSize)
{
    if (!out || outSize == 0)
        return;
    const size_t length = TQKitUtf8PrefixLength(text, outSize - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}
