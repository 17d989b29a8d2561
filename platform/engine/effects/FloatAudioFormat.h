#pragma once

namespace sonvale::effects {

// The shape of the samples the effects work on: 64-bit float, interleaved, nominal range -1..1,
// at the output sample rate (the layout FFmpeg calls AV_SAMPLE_FMT_DBL).
struct FloatAudioFormat {
    int sampleRate = 0; // frames per second
    int channels = 0;   // samples per frame
};

} // namespace sonvale::effects
