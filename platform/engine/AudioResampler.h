#pragma once

#include <vector>

#include "platform/engine/FfmpegHandles.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// Converts decoded frames to interleaved 32-bit float at the output rate and channel count: the
// one sample format that the processing step and the encoders take.
class AudioResampler final {
public:
    Status open(const AVCodecContext& decoder, int outRate, int outChannels);

    // Converts one frame (or, with null, drains what the resampler still holds) into `out`,
    // replacing its contents; out.size() / channels is the number of frames.
    Status convert(const AVFrame* frame, std::vector<float>& out);

private:
    ResamplerPtr swr_;
    int outRate_ = 0;
    int inRate_ = 0;
    int outChannels_ = 0;
};

} // namespace sonvale::engine
