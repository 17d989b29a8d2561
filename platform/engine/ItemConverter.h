#pragma once

#include <atomic>
#include <functional>

#include "platform/engine/ItemJob.h"

namespace sonvale::engine {

// Runs one item's job on the calling thread: the transcoder, then the tags. Used by the conversion
// service for every item and in-process by tests. On failure or stop the output file is removed.
class ItemConverter final {
public:
    // The item status of the running pass (2 adjusting the volume, 3 trimming, 4 converting) and
    // how far it has got.
    using Progress = std::function<void(int itemStatus, double fraction)>;

    static ItemOutcome run(const ItemJob& job, const std::atomic<bool>* stopFlag, const Progress& progress);
};

} // namespace sonvale::engine
