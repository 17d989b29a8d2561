#pragma once

#include "platform/engine/effects/EffectsAnalysis.h"
#include "platform/engine/effects/FloatAudioFormat.h"

#include <cstdint>
#include <memory>

namespace sonvale::effects {

class EbuR128Meter;

// The analysis pass: takes a stream's frames once, in order, and measures its peaks, its loudness
// and where it is audible, in fixed memory.
class EffectsAnalyzer final {
public:
    // Null when the loudness cannot be measured for this format.
    static std::unique_ptr<EffectsAnalyzer> create(const FloatAudioFormat& format, bool measureLoudness);
    ~EffectsAnalyzer();
    EffectsAnalyzer(const EffectsAnalyzer&) = delete;
    EffectsAnalyzer& operator=(const EffectsAnalyzer&) = delete;

    void add(const double* frames, std::int64_t frameCount);
    const EffectsAnalysis& finish();

private:
    EffectsAnalyzer(int channels, std::unique_ptr<EbuR128Meter> loudness);

    int channels_;
    std::unique_ptr<EbuR128Meter> loudness_;
    EffectsAnalysis analysis_;
};

} // namespace sonvale::effects
