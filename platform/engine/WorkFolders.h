#pragma once

#include <filesystem>

#include "platform/system/Status.h"

namespace sonvale::engine {

// The private folders items work in (downloads, the files the application hands over for tags).
// They live under Sonvale's cache folder, not the temporary folder, named by the process that made
// them, so that the folders of a killed process are found and removed at the next start.
//
// Removal never follows a link: not the work folder itself (a link in its place is refused, for
// creating and sweeping alike), nor anything inside what it removes.
class WorkFolders final {
public:
    // A new empty folder only this user can enter.
    static Status create(std::filesystem::path& created);

    // Removes the work folders of the processes of this machine that no longer run, and nothing
    // else: not the folders of live processes or of other machines, not what another user owns.
    static void sweepDead();
};

} // namespace sonvale::engine
