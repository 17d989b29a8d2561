#pragma once

// Trims a text the way stored names and pattern lines are trimmed: trailing bytes below 0x21
// (control characters and the space) go, then leading bytes from 0x01 to 0x20. Bytes are compared
// unsigned, so UTF-8 sequences (all bytes 0x80 and above) are never cut: "Café " keeps its "é".

#include <string>
#include <string_view>

std::string TQKitTextTrim(std::string_view text);
