#pragma once

// Makes a text safe as one file or folder name on any file system the results may land on (the
// local disk, a USB stick, a network share):
// - "/" becomes "-"; the characters \ : * ? " < > | become "_";
// - control characters (NUL included, C0 and C1, and DEL) become spaces; bytes that are not UTF-8
//   become "_";
// - leading and trailing spaces and dots are removed, so the name is never "." or "..", never
//   hidden, and never ends in a dot;
// - the name is cut to `maxBytes` bytes (0 means the usual 255-byte limit) at a character
//   boundary.
// The result may be empty; callers supply their own fallback. `reserved` must be 0. Pure; any
// thread.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr size_t kTQKitNameMaxBytes = 255;

std::string TQKitNameFilter(std::string_view text, uint32_t reserved, size_t maxBytes);
