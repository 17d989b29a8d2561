#pragma once

#include <cstddef>
#include <string_view>

// Copies `text` into `out`, which holds `outSize` bytes: at most outSize - 1 bytes, never splitting
// a UTF-8 sequence, always terminated. Nothing happens when `out` is null or `outSize` is 0. This is
// the rule of every fixed-buffer form of a TQKit text call.
void TQKitCopyTextToBuffer(std::string_view text, char* out, size_t outSize);
