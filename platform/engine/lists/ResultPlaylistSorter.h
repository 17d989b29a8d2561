#pragma once

#include "platform/engine/lists/ResultPlaylistEntry.h"

#include <cstdint>
#include <vector>

namespace sonvale::lists {

// Puts result entries in a stored sort order (PlaylistCodes.h). Sorting is stable, so entries
// that compare equal stay in the order of conversion; descending reverses the key, not the ties.
// Text compares without regard to ASCII case. Shuffle ignores the direction and uses `seed`, so
// a caller that needs a repeatable order can give one.
class ResultPlaylistSorter final {
public:
    explicit ResultPlaylistSorter(uint32_t shuffleSeed);

    void sort(std::vector<ResultPlaylistEntry>& entries, int sortOrder) const;

private:
    uint32_t shuffleSeed_;
};

} // namespace sonvale::lists
