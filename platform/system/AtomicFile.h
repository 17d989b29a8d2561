#pragma once

#include "platform/system/Status.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace sonvale {

// Replaces `path` with `bytes` so that a reader, a crash or a full disk never leaves a half-written
// file: the bytes go to a temporary file in the same folder, are flushed to disk, and the temporary
// file is renamed over the old one. The parent folder must exist. Safe from any thread.
Status writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                           mode_t mode = 0600);

// The whole content of a file, or nothing when it does not exist or cannot be read (then `error`,
// when given, says why; a missing file leaves it empty).
std::optional<std::string> readWholeFile(const std::filesystem::path& path,
                                         std::string* error = nullptr);

// Writes all of `bytes` to `fd`, retrying short writes and interruptions; false on an error (errno
// tells which).
bool writeAllBytes(int fd, std::string_view bytes);

} // namespace sonvale
