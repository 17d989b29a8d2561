#include "platform/engine/effects/EffectsProcessor.h"

#include "platform/engine/effects/AutomaticVolumeControl.h"
#include "platform/engine/effects/EffectsAnalyzer.h"
#include "platform/engine/effects/PeakLimiter.h"

#include <algorithm>
#include <string>

namespace sonvale::effects {

namespace {

Status unmeasurable()
{
    return Status::failure("The loudness of audio in this format cannot be measured.");
}

} // namespace

std::unique_ptr<EffectsProcessor> EffectsProcessor::create(const EffectsSettings& settings,
                                                           const FloatAudioFormat& format,
                                                           std::optional<std::int64_t> knownTotalFrames,
                                                           Status& status)
{
    status = settings.validate(format);
    if (!status)
        return nullptr;
    std::unique_ptr<EffectsProcessor> processor(new EffectsProcessor(settings, format, knownTotalFrames));
    if (processor->needsAnalysis()) {
        processor->analyzer_ =
            EffectsAnalyzer::create(format, settings.normalization == NormalizationMethod::Loudness);
        if (!processor->analyzer_)
            status = unmeasurable();
    } else {
        status = processor->startRendering(nullptr);
    }
    return status ? std::move(processor) : nullptr;
}

EffectsProcessor::EffectsProcessor(const EffectsSettings& settings, const FloatAudioFormat& format,
                                   std::optional<std::int64_t> knownTotalFrames)
    : settings_(settings), format_(format), knownTotalFrames_(knownTotalFrames), stage_(Stage::Analyzing)
{
}

EffectsProcessor::~EffectsProcessor() = default;

bool EffectsProcessor::needsAnalysis() const
{
    return settings_.normalization != NormalizationMethod::Off || settings_.trimSilence ||
           (settings_.fadeOutMs > 0 && !knownTotalFrames_);
}

Status EffectsProcessor::stageError(const char* call) const
{
    const char* state = stage_ == Stage::Analyzing ? "the analysis pass has not finished"
                        : stage_ == Stage::Rendering ? "the render pass has begun"
                                                     : "the stream has been flushed";
    return Status::failure(std::string("Effects: ") + call + " is not possible: " + state + ".");
}

Status EffectsProcessor::analyze(const double* frames, std::int64_t frameCount)
{
    if (stage_ != Stage::Analyzing)
        return stageError("analyze");
    if (frameCount < 0)
        return Status::failure("Effects: a negative frame count.");
    analyzer_->add(frames, frameCount);
    return Status::success();
}

Status EffectsProcessor::finishAnalysis()
{
    if (stage_ != Stage::Analyzing)
        return stageError("finishAnalysis");
    const Status status = startRendering(&analyzer_->finish());
    analyzer_.reset();
    return status;
}

Status EffectsProcessor::startRendering(const EffectsAnalysis* analysis)
{
    plan_ = EffectsPlan::make(settings_, format_, analysis, knownTotalFrames_);
    const bool volumeControl =
        settings_.automaticVolumeControl && settings_.normalization != NormalizationMethod::Off;
    if (volumeControl && settings_.normalization == NormalizationMethod::Peak) {
        dynamics_ = AutomaticVolumeControl::forPeakTarget(format_, settings_.peakTargetPercent / 100.0);
    } else if (volumeControl) {
        dynamics_ = AutomaticVolumeControl::forLoudnessTarget(format_, settings_.loudnessTargetLufs);
        if (!dynamics_)
            return unmeasurable();
    } else if (plan_->limitPeaks) {
        dynamics_ = std::make_unique<PeakLimiter>(format_, kPeakCeiling);
    }
    stage_ = Stage::Rendering;
    return Status::success();
}

Status EffectsProcessor::process(const double* frames, std::int64_t frameCount, std::vector<double>& out)
{
    out.clear();
    if (stage_ != Stage::Rendering)
        return stageError("process");
    if (frameCount < 0)
        return Status::failure("Effects: a negative frame count.");
    if (dynamics_) {
        gained_.clear();
        appendGated(frames, frameCount, gained_);
        dynamics_->process(gained_.data(), static_cast<std::int64_t>(gained_.size()) / format_.channels, out);
    } else {
        appendGated(frames, frameCount, out);
    }
    applyEnvelope(out);
    return Status::success();
}

Status EffectsProcessor::flush(std::vector<double>& out)
{
    out.clear();
    if (stage_ != Stage::Rendering)
        return stageError("flush");
    stage_ = Stage::Flushed;
    if (dynamics_)
        dynamics_->flush(out);
    applyEnvelope(out);
    return Status::success();
}

const EffectsPlan* EffectsProcessor::plan() const
{
    return plan_ ? &*plan_ : nullptr;
}

void EffectsProcessor::appendGated(const double* frames, std::int64_t frameCount, std::vector<double>& gained)
{
    // Only the frames of [firstFrame, firstFrame + outputFrames) of the stream are rendered.
    const std::int64_t chunkStart = inputFrames_;
    inputFrames_ += frameCount;
    std::int64_t end = inputFrames_;
    if (plan_->outputFrames)
        end = std::min(end, plan_->firstFrame + *plan_->outputFrames);
    const std::int64_t begin = std::max(chunkStart, plan_->firstFrame);
    if (end <= begin)
        return;
    const double* first = frames + (begin - chunkStart) * format_.channels;
    const double* last = frames + (end - chunkStart) * format_.channels;
    const double gain = plan_->staticGain;
    std::transform(first, last, std::back_inserter(gained), [gain](double sample) { return sample * gain; });
}

void EffectsProcessor::applyEnvelope(std::vector<double>& out)
{
    const auto frames = static_cast<std::int64_t>(out.size()) / format_.channels;
    if (plan_->hasEnvelope()) {
        for (std::int64_t frame = 0; frame < frames; ++frame) {
            const double gain = plan_->envelopeAt(outputFrames_ + frame);
            if (gain == 1.0)
                continue;
            for (int channel = 0; channel < format_.channels; ++channel)
                out[static_cast<std::size_t>(frame * format_.channels + channel)] *= gain;
        }
    }
    outputFrames_ += frames;
}

} // namespace sonvale::effects
