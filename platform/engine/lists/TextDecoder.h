#pragma once

#include "platform/system/Status.h"

#include <string>
#include <string_view>

namespace sonvale::lists {

// Turns the bytes of a CUE sheet, a playlist or a link file into UTF-8. Such files come from
// every era and system: UTF-8 with or without a byte-order mark, UTF-16 with a mark, or a legacy
// 8-bit set. Anything that is neither marked nor valid UTF-8 is read in `legacyCharset` (an iconv
// name), with Latin-1 as the last resort, since every byte is valid there.
// Stateless; safe from any thread.
class TextDecoder final {
public:
    explicit TextDecoder(std::string legacyCharset = "CP1252");

    // Fails for text that holds NUL bytes outside UTF-16 (binary data, not a text file).
    Status decode(std::string_view bytes, std::string& utf8) const;

    static bool isValidUtf8(std::string_view bytes);

private:
    std::string legacyCharset_;
};

} // namespace sonvale::lists
