#pragma once

#include <cstdint>
#include <vector>

#include "platform/engine/FfmpegHandles.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// Converts decoded frames to interleaved 64-bit float at the output rate and channels: the one
// sample format the effects and the encoders take. 64 bits keep 32-bit integer sources exact.
//
// A source with as many channels as the output keeps every channel as it is, in order. A different
// count is mixed, never louder than the source's peak (a down-mix scaled so no sum can pass full
// scale), and a mono source keeps its level on every channel. Rates are changed by a long
// high-quality filter. A stream whose format changes on the way (an MP3 turning from stereo to
// mono, a new sample rate) gets a new converter at the change, after the old one handed out what
// it held.
class AudioResampler final {
public:
    AudioResampler() = default;
    ~AudioResampler() { av_channel_layout_uninit(&input_.layout); }
    AudioResampler(const AudioResampler&) = delete;
    AudioResampler& operator=(const AudioResampler&) = delete;

    // `outChannelMask`: the output's speakers (AV_CH_*); 0 for FFmpeg's default of the count.
    void open(int outRate, int outChannels, uint64_t outChannelMask);

    // Converts one frame (or, with null, drains what the converter still holds) into `out`,
    // replacing its contents; out.size() / channels is the number of frames.
    Status convert(const AVFrame* frame, std::vector<double>& out);

private:
    // The input a converter was built for.
    struct Input {
        int format = -1;
        int rate = 0;
        AVChannelLayout layout{};
    };

    bool fits(const AVFrame& frame) const;
    Status rebuild(const AVFrame& frame);
    // Appends what the converter makes of `samples` input samples (null: its tail).
    Status append(const uint8_t* const* planes, int samples, std::vector<double>& out);

    ResamplerPtr swr_;
    Input input_;
    int outRate_ = 0;
    int outChannels_ = 0;
    uint64_t outMask_ = 0;
};

} // namespace sonvale::engine
