#pragma once

#include <atomic>
#include <functional>

#include "platform/engine/ItemJob.h"

namespace sonvale::engine {

class SampleProcessor;

// Runs one item's job on the calling thread: the transcoder, then the tags. Used by the conversion
// service for every item and in-process by tests. On failure or stop the output file is removed.
class ItemConverter final {
public:
    using Progress = std::function<void(double fraction)>;

    static ItemOutcome run(const ItemJob& job, const std::atomic<bool>* stopFlag, const Progress& progress,
                           SampleProcessor* processor = nullptr);
};

} // namespace sonvale::engine
