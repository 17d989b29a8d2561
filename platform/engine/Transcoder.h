#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "platform/engine/EncoderPlan.h"
#include "platform/engine/OutputSettings.h"
#include "platform/engine/SourceInfo.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

class AudioDecoder;
class AudioEncoder;
class AudioResampler;
class SampleProcessor;

// One source to one result file: decode, convert to float at the output rate, the optional
// processing step, encode. Runs on the calling thread; a set stop flag ends it within one frame
// (or one blocked read). Writes exactly the output path it is given; naming, tags and the final
// rename belong to the callers.
class Transcoder final {
public:
    using Progress = std::function<void(double fraction)>;

    Transcoder(const std::atomic<bool>* stopFlag, Progress progress);

    Status run(const std::string& sourcePath, const std::string& outputPath, const OutputSettings& settings,
               SampleProcessor* processor);

    // Valid after run() got past opening the source and planning the encoder.
    const SourceInfo& source() const { return source_; }
    const EncoderPlan& plan() const { return plan_; }

private:
    Status pump(AudioDecoder& decoder, AudioResampler& resampler, SampleProcessor* processor,
                AudioEncoder& encoder);
    Status drain(AudioResampler& resampler, SampleProcessor* processor, AudioEncoder& encoder);
    Status checkComplete(const AudioDecoder& decoder) const;
    void reportProgress(const AudioDecoder& decoder);

    const std::atomic<bool>* stopFlag_;
    Progress progress_;
    SourceInfo source_;
    EncoderPlan plan_;
    int64_t framesWritten_ = 0;
};

} // namespace sonvale::engine
