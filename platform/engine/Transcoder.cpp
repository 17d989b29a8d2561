#include "platform/engine/Transcoder.h"

#include <vector>

#include "platform/engine/AudioDecoder.h"
#include "platform/engine/AudioEncoder.h"
#include "platform/engine/AudioResampler.h"
#include "platform/engine/EncoderPlanner.h"
#include "platform/engine/SampleProcessor.h"

namespace sonvale::engine {

Transcoder::Transcoder(const std::atomic<bool>* stopFlag, Progress progress)
    : stopFlag_(stopFlag), progress_(std::move(progress))
{
}

Status Transcoder::run(const std::string& sourcePath, const std::string& outputPath,
                       const OutputSettings& settings, SampleProcessor* processor)
{
    AudioDecoder decoder(stopFlag_);
    if (Status s = decoder.open(sourcePath); !s)
        return s;
    source_ = decoder.info();
    if (Status s = EncoderPlanner::plan(settings, source_, plan_); !s)
        return s;
    AudioResampler resampler;
    if (Status s = resampler.open(*decoder.codecContext(), plan_.sampleRate, plan_.channels); !s)
        return s;
    std::unique_ptr<AudioEncoder> encoder = AudioEncoder::forPlan(plan_);
    if (Status s = encoder->open(outputPath); !s)
        return s;
    if (Status s = pump(decoder, resampler, processor, *encoder); !s)
        return s;
    if (Status s = drain(resampler, processor, *encoder); !s)
        return s;
    if (Status s = checkComplete(decoder); !s)
        return s;
    return encoder->finish();
}

Status Transcoder::pump(AudioDecoder& decoder, AudioResampler& resampler, SampleProcessor* processor,
                        AudioEncoder& encoder)
{
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return Status::failure("out of memory");
    std::vector<float> samples;
    while (true) {
        bool endOfStream = false;
        if (Status s = decoder.nextFrame(frame.get(), endOfStream); !s)
            return s;
        if (endOfStream)
            return Status::success();
        Status converted = resampler.convert(frame.get(), samples);
        av_frame_unref(frame.get());
        if (!converted)
            return converted;
        if (processor)
            if (Status s = processor->process(samples, plan_.channels); !s)
                return s;
        const int frames = int(samples.size() / plan_.channels);
        if (Status s = encoder.write(samples.data(), frames); !s)
            return s;
        framesWritten_ += frames;
        reportProgress(decoder);
    }
}

Status Transcoder::drain(AudioResampler& resampler, SampleProcessor* processor, AudioEncoder& encoder)
{
    std::vector<float> samples;
    if (Status s = resampler.convert(nullptr, samples); !s)
        return s;
    if (processor) {
        if (Status s = processor->process(samples, plan_.channels); !s)
            return s;
        std::vector<float> rest;
        if (Status s = processor->finish(rest, plan_.channels); !s)
            return s;
        samples.insert(samples.end(), rest.begin(), rest.end());
    }
    const int frames = int(samples.size() / plan_.channels);
    framesWritten_ += frames;
    return encoder.write(samples.data(), frames);
}

// A source that decodes to nothing, or to much less than its header promises, is damaged:
// reporting success for it would hand the user a silently shortened file.
Status Transcoder::checkComplete(const AudioDecoder& decoder) const
{
    if (framesWritten_ == 0)
        return Status::failure("no audio could be decoded");
    const double expected = source_.durationSeconds;
    if (source_.durationIsExact && expected > 1.0 && decoder.positionSeconds() < expected * 0.98 - 0.1)
        return Status::failure("the file is truncated or damaged");
    return Status::success();
}

void Transcoder::reportProgress(const AudioDecoder& decoder)
{
    if (progress_ && source_.durationSeconds > 0)
        progress_(std::min(1.0, decoder.positionSeconds() / source_.durationSeconds));
}

} // namespace sonvale::engine
