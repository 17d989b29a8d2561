#include "platform/engine/Transcoder.h"

#include <memory>
#include <vector>

#include "platform/engine/AudioEncoder.h"
#include "platform/engine/DecodedStream.h"
#include "platform/engine/EncoderPlanner.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/engine/effects/EffectsProcessor.h"

namespace sonvale::engine {
namespace {

using Item = TQKitConversionListItem;

bool changesAudio(const effects::EffectsSettings& s)
{
    return s.normalization != effects::NormalizationMethod::Off || s.fadeInMs > 0 || s.fadeOutMs > 0
           || s.durationLimitMs > 0 || s.trimSilence;
}

} // namespace

Transcoder::Transcoder(const std::atomic<bool>* stopFlag, Progress progress)
    : stopFlag_(stopFlag), progress_(std::move(progress))
{
}

Status Transcoder::run(const std::string& sourcePath, const std::string& outputPath,
                       const OutputSettings& settings, const TranscodeOptions& options)
{
    DecodedStream stream(stopFlag_);
    if (Status s = stream.open(sourcePath, options.span); !s)
        return s;
    source_ = stream.info();
    if (Status s = EncoderPlanner::plan(settings, source_, plan_); !s)
        return s;
    std::unique_ptr<effects::EffectsProcessor> effects;
    if (changesAudio(options.effects)) {
        Status created = Status::success();
        effects = effects::EffectsProcessor::create(options.effects, {plan_.sampleRate, plan_.channels},
                                                    std::nullopt, created);
        if (!effects)
            return created;
        if (effects->needsAnalysis())
            if (Status s = analyze(sourcePath, options, *effects); !s)
                return s;
    }
    stream.startOutput(plan_.sampleRate, plan_.channels, plan_.channelMask);
    std::unique_ptr<AudioEncoder> encoder = AudioEncoder::forPlan(plan_);
    if (Status s = encoder->open(outputPath); !s)
        return s;
    if (Status s = render(stream, effects.get(), *encoder); !s)
        return s;
    if (Status s = encoder->finish(); !s)
        return s;
    gapless_ = encoder->gapless();
    notes_ = plan_.notes;
    for (std::string& note : encoder->notes())
        notes_.push_back(std::move(note));
    return Status::success();
}

// The first pass: the whole stream through the analyzer, at the same rate and channels the render
// pass will see.
Status Transcoder::analyze(const std::string& sourcePath, const TranscodeOptions& options,
                           effects::EffectsProcessor& effects)
{
    // The pass is shown as trimming when that is all it is for, else as adjusting the volume.
    const bool onlyTrimming = options.effects.trimSilence
                              && options.effects.normalization == effects::NormalizationMethod::Off;
    const int status = onlyTrimming ? Item::Trimming : Item::AdjustingVolume;
    DecodedStream stream(stopFlag_);
    if (Status s = stream.open(sourcePath, options.span); !s)
        return s;
    stream.startOutput(plan_.sampleRate, plan_.channels, plan_.channelMask);
    std::vector<double> samples;
    int64_t frames = 0;
    for (bool end = false;;) {
        if (Status s = stream.read(samples, end); !s)
            return s;
        if (end)
            break;
        const int64_t count = int64_t(samples.size()) / plan_.channels;
        if (Status s = effects.analyze(samples.data(), count); !s)
            return s;
        frames += count;
        report(status, stream.fraction());
    }
    if (Status s = stream.checkComplete(frames); !s)
        return s;
    return effects.finishAnalysis();
}

Status Transcoder::render(DecodedStream& stream, effects::EffectsProcessor* effects, AudioEncoder& encoder)
{
    std::vector<double> samples, processed;
    int64_t decoded = 0;
    for (bool end = false; !end;) {
        if (Status s = stream.read(samples, end); !s)
            return s;
        const int64_t count = int64_t(samples.size()) / plan_.channels;
        decoded += count;
        const std::vector<double>* ready = &samples;
        if (effects) {
            if (Status s = end ? effects->flush(processed) : effects->process(samples.data(), count, processed); !s)
                return s;
            ready = &processed;
        }
        if (Status s = write(*ready, encoder); !s)
            return s;
        report(Item::Converting, stream.fraction());
        // A duration limit reached: the rest of the source is not needed (nor checked).
        const effects::EffectsPlan* effectsPlan = effects ? effects->plan() : nullptr;
        if (!end && effectsPlan && effectsPlan->outputFrames && framesWritten_ >= *effectsPlan->outputFrames) {
            if (Status s = effects->flush(processed); !s)
                return s;
            return write(processed, encoder);
        }
    }
    return stream.checkComplete(decoded);
}

Status Transcoder::write(const std::vector<double>& samples, AudioEncoder& encoder)
{
    const int frames = int(samples.size() / plan_.channels);
    if (frames == 0)
        return Status::success();
    framesWritten_ += frames;
    return encoder.write(samples.data(), frames);
}

void Transcoder::report(int itemStatus, double fraction) const
{
    if (progress_)
        progress_(itemStatus, fraction);
}

} // namespace sonvale::engine
