#pragma once

#include "platform/engine/effects/EffectsPlan.h"
#include "platform/engine/effects/EffectsSettings.h"
#include "platform/engine/effects/FloatAudioFormat.h"
#include "platform/system/Status.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace sonvale::effects {

class DynamicStage;
class EffectsAnalyzer;

// The effects step of one conversion, between decoding (after resampling to the output rate) and
// encoding. Frames are interleaved floats in the given format.
//
// Use: when needsAnalysis(), feed every frame of the stream to analyze() in order, then call
// finishAnalysis(); then feed the same frames again to process() and end with flush(). process()
// and flush() hand back the frames ready so far: silence trimming and the duration limit make the
// output shorter, the volume stages hold back a few seconds at most, so memory stays bounded
// however long the stream is. needsAnalysis() tells the caller whether to run one pass or two (for
// progress). One thread at a time; one processor per stream.
class EffectsProcessor final {
public:
    // Null, with the reason in status, when the settings cannot be honoured for this format.
    // knownTotalFrames: the exact length of the stream when the caller knows it; without it a
    // fade-out needs the analysis pass to find the end.
    static std::unique_ptr<EffectsProcessor> create(const EffectsSettings& settings, const FloatAudioFormat& format,
                                                    std::optional<std::int64_t> knownTotalFrames, Status& status);
    ~EffectsProcessor();
    EffectsProcessor(const EffectsProcessor&) = delete;
    EffectsProcessor& operator=(const EffectsProcessor&) = delete;

    bool needsAnalysis() const;
    Status analyze(const double* frames, std::int64_t frameCount);
    Status finishAnalysis();

    // Replaces the content of out with the frames ready for the encoder.
    Status process(const double* frames, std::int64_t frameCount, std::vector<double>& out);
    Status flush(std::vector<double>& out);

    // The plan of the render pass; null while the analysis pass is still running.
    const EffectsPlan* plan() const;

private:
    enum class Stage { Analyzing, Rendering, Flushed };

    EffectsProcessor(const EffectsSettings& settings, const FloatAudioFormat& format,
                     std::optional<std::int64_t> knownTotalFrames);
    Status startRendering(const EffectsAnalysis* analysis);
    void appendGated(const double* frames, std::int64_t frameCount, std::vector<double>& gained);
    void applyEnvelope(std::vector<double>& out);
    Status stageError(const char* call) const;

    const EffectsSettings settings_;
    const FloatAudioFormat format_;
    const std::optional<std::int64_t> knownTotalFrames_;
    Stage stage_;
    std::unique_ptr<EffectsAnalyzer> analyzer_;
    std::optional<EffectsPlan> plan_;
    std::unique_ptr<DynamicStage> dynamics_;
    std::vector<double> gained_;
    std::int64_t inputFrames_ = 0;  // frames taken by process()
    std::int64_t outputFrames_ = 0; // frames handed back
};

} // namespace sonvale::effects
