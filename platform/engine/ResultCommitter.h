#pragma once

#include <filesystem>
#include <string>

#include "platform/system/Status.h"

namespace sonvale::engine {

// Moves a finished result from its temporary name to its place, under the overwrite policy:
// 0 replaces an existing file (keeping it as a backup when asked), 1 leaves an existing file and
// drops the result, 2 picks a free name "<name> (1).<ext>", "(2)", ... A source is never replaced
// by its own result: that case takes a new name too. Names are claimed without replacing (a
// no-replace rename, or where the file system refuses one a hard link, or a checked rename under a
// lock), so items that finish at once never take each other's names.
class ResultCommitter final {
public:
    enum class Outcome { Written, SkippedExisting };

    static Status commit(const std::filesystem::path& temporary, const std::filesystem::path& wanted,
                         const std::filesystem::path& source, int policy, bool backup,
                         std::filesystem::path& written, Outcome& outcome);

    // Whether a result at `wanted` would be skipped under policy 1 (checked before converting).
    static bool wouldSkip(const std::filesystem::path& wanted, int policy);

private:
    static Status renameToFreeName(const std::filesystem::path& from, const std::filesystem::path& wanted,
                                   const std::string& label, std::filesystem::path& written);
};

} // namespace sonvale::engine
