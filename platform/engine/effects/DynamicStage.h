#pragma once

#include <cstdint>
#include <vector>

namespace sonvale::effects {

// A gain stage that looks ahead: it holds back up to a bounded number of frames and, once flushed,
// has given back exactly as many frames as it took, in order. Interleaved frames in and out;
// one thread at a time.
class DynamicStage {
public:
    virtual ~DynamicStage() = default;

    // Appends to out the frames that are ready.
    virtual void process(const double* frames, std::int64_t frameCount, std::vector<double>& out) = 0;
    // Appends every frame still held back; the stage takes nothing after this.
    virtual void flush(std::vector<double>& out) = 0;
};

} // namespace sonvale::effects
