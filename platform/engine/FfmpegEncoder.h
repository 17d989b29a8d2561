#pragma once

#include <optional>

#include "platform/engine/AudioEncoder.h"
#include "platform/engine/FfmpegHandles.h"
#include "platform/engine/SampleQuantizer.h"

namespace sonvale::engine {

// Every format but MP3: an FFmpeg encoder (AAC-LC, ALAC, FLAC, PCM, ADPCM, G.711, GSM) in its
// container. Takes interleaved 64-bit float, puts it on the grid of an integer codec (with dither
// where needed), converts it to the codec's sample format and feeds the encoder in frames of the
// size it asks for.
class FfmpegEncoder final : public AudioEncoder {
public:
    explicit FfmpegEncoder(EncoderPlan plan) : plan_(std::move(plan)) {}

    Status open(const std::string& path) override;
    Status write(const double* samples, int frames) override;
    Status finish() override;
    std::vector<std::string> notes() const override;
    std::optional<GaplessInfo> gapless() const override;

private:
    Status openCodec(const AVCodec& codec);
    Status openContainer(const std::string& path);
    Status openSampleConverter();
    // Encodes whole frames from the queue; with `final` also the rest, padded where the codec needs.
    Status encodeQueued(bool final);
    Status ensureCapacity(FramePtr& frame, int samples);
    Status sendFrame(const AVFrame* frame);
    Status writePackets();

    EncoderPlan plan_;
    OutputFormatPtr format_;
    CodecContextPtr codec_;
    AVStream* stream_ = nullptr;
    ResamplerPtr converter_;
    std::optional<SampleQuantizer> quantizer_; // integer codecs only
    std::vector<double> quantized_;
    AudioFifoPtr queue_;
    FramePtr converted_; // samples in the codec's format, on their way to the queue
    FramePtr frame_;     // the frame handed to the encoder
    PacketPtr packet_;
    int frameSize_ = 0;
    bool acceptsShortLastFrame_ = false;
    int64_t nextPts_ = 0;
    int64_t framesIn_ = 0;   // of the source, without the coder's priming and padding
    int64_t packetsOut_ = 0;
};

} // namespace sonvale::engine
