#pragma once

#include <filesystem>

#include "platform/system/Status.h"

namespace sonvale::engine {

// A result being written in its destination folder, under a hidden name no other process can
// guess: ".sonvale-<process mark>-<random>.part". Destinations are often shared folders, so the
// file is created exclusively and is never opened through a symbolic link planted in its place.
class PartialFile final {
public:
    // Creates an empty partial file in `folder`. The first time this process writes into a folder
    // it also removes the partial files that killed processes of this machine left there.
    static Status create(const std::filesystem::path& folder, std::filesystem::path& created);

    // Opens a result file for writing from its start (a partial file made by create(), or a new file),
    // refusing a symbolic link or anything but a regular file found at its name. Returns the
    // descriptor (close-on-exec), or -1 with errno set.
    static int openForWriting(const std::filesystem::path& path);

    // Copies `source` into the partial file `partial`.
    static Status copyFrom(const std::filesystem::path& source, const std::filesystem::path& partial);

    // "cannot create the result file (<why>)" for an errno value.
    static Status creationFailure(int error);

    // Removes the partial files of dead processes of this machine from `folder`.
    static void sweepStale(const std::filesystem::path& folder);
};

} // namespace sonvale::engine
