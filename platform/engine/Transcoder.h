#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/engine/EncoderPlan.h"
#include "platform/engine/GaplessInfo.h"
#include "platform/engine/OutputSettings.h"
#include "platform/engine/SourceInfo.h"
#include "platform/engine/SourceSpan.h"
#include "platform/engine/effects/EffectsSettings.h"
#include "platform/system/Status.h"

namespace sonvale::effects {
class EffectsProcessor;
}

namespace sonvale::engine {

class AudioEncoder;
class DecodedStream;

// What a transcode does besides changing the format: the span of the source it takes and the
// effects it applies.
struct TranscodeOptions {
    std::optional<SourceSpan> span;
    effects::EffectsSettings effects;
};

// One source to one result file: decode, convert to 64-bit float at the output rate, the effects,
// encode.
// Effects that need the whole stream (normalization, trimming, a fade-out) get an analysis pass
// over the source first. Runs on the calling thread; a set stop flag ends it within one frame (or
// one blocked read). Writes exactly the output path it is given; naming, tags and the final rename
// belong to the callers.
class Transcoder final {
public:
    // `itemStatus` is the item status of the running pass (2 adjusting the volume, 3 trimming,
    // 4 converting); `fraction` how far that pass has got.
    using Progress = std::function<void(int itemStatus, double fraction)>;

    Transcoder(const std::atomic<bool>* stopFlag, Progress progress);

    Status run(const std::string& sourcePath, const std::string& outputPath, const OutputSettings& settings,
               const TranscodeOptions& options = {});

    // Valid after run() got past opening the source and planning the encoder.
    const SourceInfo& source() const { return source_; }
    const EncoderPlan& plan() const { return plan_; }
    // Length of the written result.
    int64_t framesWritten() const { return framesWritten_; }
    // After a successful run: what could not be done as asked, or was done to the audio on the way.
    const std::vector<std::string>& notes() const { return notes_; }
    // After a successful run: where the source's samples lie in the coded stream (AAC only).
    const std::optional<GaplessInfo>& gapless() const { return gapless_; }

private:
    Status analyze(const std::string& sourcePath, const TranscodeOptions& options,
                   effects::EffectsProcessor& effects);
    Status render(DecodedStream& stream, effects::EffectsProcessor* effects, AudioEncoder& encoder);
    Status write(const std::vector<double>& samples, AudioEncoder& encoder);
    void report(int itemStatus, double fraction) const;

    const std::atomic<bool>* stopFlag_;
    Progress progress_;
    SourceInfo source_;
    EncoderPlan plan_;
    int64_t framesWritten_ = 0;
    std::vector<std::string> notes_;
    std::optional<GaplessInfo> gapless_;
};

} // namespace sonvale::engine
