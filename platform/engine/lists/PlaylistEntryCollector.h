#pragma once

#include "platform/engine/lists/PlaylistEntry.h"
#include "platform/system/Status.h"

#include <vector>

namespace sonvale::lists {

// Gathers the items a parser finds, up to kMaxPlaylistEntries, so a hostile list cannot make a
// parser hold millions of them. Items without a location are skipped.
class PlaylistEntryCollector final {
public:
    explicit PlaylistEntryCollector(std::vector<RawPlaylistEntry>& entries);

    // False once the list is full; the parser should stop then.
    bool add(RawPlaylistEntry entry);

    // An error when the list held more items than allowed.
    Status status() const;
    static Status tooManyEntries();

private:
    std::vector<RawPlaylistEntry>& entries_;
    bool full_ = false;
};

} // namespace sonvale::lists
