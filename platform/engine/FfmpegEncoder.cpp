#include "platform/engine/FfmpegEncoder.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

#include "platform/engine/EncoderPlanner.h"
#include "platform/engine/PartialFile.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
}

namespace sonvale::engine {
namespace {

constexpr int kFramesPerPcmPacket = 4096;

// The codec's sample format that holds the plan's depth: 32-bit integer for more than 16 bits.
AVSampleFormat pickSampleFormat(const AVCodec& codec, int bits)
{
    if (!codec.sample_fmts)
        return AV_SAMPLE_FMT_FLTP;
    for (const AVSampleFormat* f = codec.sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
        const AVSampleFormat packed = av_get_packed_sample_fmt(*f);
        if ((bits > 16 && packed == AV_SAMPLE_FMT_S32) || (bits > 0 && bits <= 16 && packed == AV_SAMPLE_FMT_S16))
            return *f;
    }
    return codec.sample_fmts[0];
}

// The resolution an integer codec keeps: its sample format's, or the fewer bits it is told to use.
std::optional<int> integerBits(const AVCodecContext& codec)
{
    const AVSampleFormat packed = av_get_packed_sample_fmt(codec.sample_fmt);
    if (packed != AV_SAMPLE_FMT_U8 && packed != AV_SAMPLE_FMT_S16 && packed != AV_SAMPLE_FMT_S32
        && packed != AV_SAMPLE_FMT_S64)
        return std::nullopt;
    const int formatBits = av_get_bytes_per_sample(packed) * 8;
    return codec.bits_per_raw_sample > 0 ? std::min(codec.bits_per_raw_sample, formatBits) : formatBits;
}

} // namespace

Status FfmpegEncoder::open(const std::string& path)
{
    const AVCodec* codec = avcodec_find_encoder(plan_.codec);
    if (!codec)
        return Status::failure(std::string("no encoder for ") + avcodec_get_name(plan_.codec));
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, plan_.muxer.c_str(), path.c_str()) < 0 || !raw)
        return Status::failure("no " + plan_.muxer + " writer");
    format_.reset(raw);
    // No encoder names or versions in the result: what we write is only what the tags say.
    format_->flags |= AVFMT_FLAG_BITEXACT;
    if (Status s = openCodec(*codec); !s)
        return s;
    if (Status s = openContainer(path); !s)
        return s;
    return openSampleConverter();
}

Status FfmpegEncoder::openCodec(const AVCodec& codec)
{
    codec_.reset(avcodec_alloc_context3(&codec));
    if (!codec_)
        return Status::failure("out of memory");
    AVCodecContext* c = codec_.get();
    c->sample_rate = plan_.sampleRate;
    if (!plan_.channelMask || av_channel_layout_from_mask(&c->ch_layout, plan_.channelMask) < 0)
        av_channel_layout_default(&c->ch_layout, plan_.channels);
    c->sample_fmt = pickSampleFormat(codec, plan_.bitsPerSample);
    c->time_base = AVRational{1, plan_.sampleRate};
    c->flags |= AV_CODEC_FLAG_BITEXACT;
    if (plan_.bitsPerSample > 16 && av_get_packed_sample_fmt(c->sample_fmt) == AV_SAMPLE_FMT_S32)
        c->bits_per_raw_sample = plan_.bitsPerSample;
    if (plan_.compressionLevel >= 0)
        c->compression_level = plan_.compressionLevel;
    if (plan_.alacMaxPredictionOrder > 0)
        av_opt_set_int(c->priv_data, "max_prediction_order", plan_.alacMaxPredictionOrder, 0);
    if (plan_.variableBitRate) {
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = int(plan_.quality * FF_QP2LAMBDA);
    } else if (plan_.bitRate > 0) {
        c->bit_rate = plan_.bitRate;
    }
    if (format_->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (int rc = avcodec_open2(c, &codec, nullptr); rc < 0)
        return Status::failure(std::string("cannot open the ") + codec.name + " encoder with these settings ("
                               + ffmpegErrorText(rc) + ")");
    const bool variableFrames = codec.capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE;
    frameSize_ = c->frame_size > 0 && !variableFrames ? c->frame_size : kFramesPerPcmPacket;
    acceptsShortLastFrame_ = variableFrames || (codec.capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
    if (const auto bits = integerBits(*c))
        quantizer_.emplace(*bits);
    return Status::success();
}

Status FfmpegEncoder::openContainer(const std::string& path)
{
    stream_ = avformat_new_stream(format_.get(), nullptr);
    if (!stream_)
        return Status::failure("out of memory");
    stream_->time_base = codec_->time_base;
    if (int rc = avcodec_parameters_from_context(stream_->codecpar, codec_.get()); rc < 0)
        return Status::failure("cannot describe the stream (" + ffmpegErrorText(rc) + ")");
    const int fd = PartialFile::openForWriting(path);
    if (fd < 0)
        return PartialFile::creationFailure(errno);
    // FFmpeg opens by name; through this process's descriptor the name reaches the file checked above.
    const std::string checked = "file:/proc/self/fd/" + std::to_string(fd);
    const int rc = avio_open(&format_->pb, checked.c_str(), AVIO_FLAG_WRITE);
    ::close(fd);
    if (rc < 0)
        return Status::failure("cannot create the result file (" + ffmpegErrorText(rc) + ")");
    AVDictionary* options = nullptr;
    // WAV turns into RF64 once it passes 4 GB; MP4 edit lists count in samples, not milliseconds,
    // so players cut the coder's priming and padding to the sample.
    if (plan_.muxer == "wav")
        av_dict_set(&options, "rf64", "auto", 0);
    else if (plan_.muxer == "ipod" || plan_.muxer == "mp4")
        av_dict_set_int(&options, "movie_timescale", plan_.sampleRate, 0);
    const int written = avformat_write_header(format_.get(), &options);
    av_dict_free(&options);
    if (written < 0)
        return Status::failure("cannot write the " + plan_.muxer + " header (" + ffmpegErrorText(written) + ")");
    return Status::success();
}

Status FfmpegEncoder::openSampleConverter()
{
    SwrContext* raw = nullptr;
    int rc = swr_alloc_set_opts2(&raw, &codec_->ch_layout, codec_->sample_fmt, plan_.sampleRate,
                                 &codec_->ch_layout, AV_SAMPLE_FMT_DBL, plan_.sampleRate, 0, nullptr);
    converter_.reset(raw);
    if (rc < 0 || (rc = swr_init(raw)) < 0)
        return Status::failure("cannot convert samples for the encoder (" + ffmpegErrorText(rc) + ")");
    queue_.reset(av_audio_fifo_alloc(codec_->sample_fmt, plan_.channels, frameSize_ * 2));
    packet_.reset(av_packet_alloc());
    if (!queue_ || !packet_)
        return Status::failure("out of memory");
    return Status::success();
}

// A frame of the codec's sample format with room for `samples`, reused while it is large enough.
Status FfmpegEncoder::ensureCapacity(FramePtr& frame, int samples)
{
    if (frame && frame->nb_samples >= samples && av_frame_make_writable(frame.get()) == 0)
        return Status::success();
    frame.reset(av_frame_alloc());
    if (!frame)
        return Status::failure("out of memory");
    frame->nb_samples = samples;
    frame->format = codec_->sample_fmt;
    frame->sample_rate = plan_.sampleRate;
    av_channel_layout_copy(&frame->ch_layout, &codec_->ch_layout);
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return Status::failure("out of memory");
    return Status::success();
}

Status FfmpegEncoder::write(const double* samples, int frames)
{
    if (frames <= 0)
        return Status::success();
    framesIn_ += frames;
    if (Status s = EncoderPlanner::checkSize(plan_, double(framesIn_) * plan_.channels * plan_.bitsPerSample / 8); !s)
        return s;
    if (Status s = ensureCapacity(converted_, frames); !s)
        return s;
    if (quantizer_) {
        quantized_.assign(samples, samples + size_t(frames) * plan_.channels);
        quantizer_->quantize(quantized_.data(), quantized_.size());
        samples = quantized_.data();
    }
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
    const int converted = swr_convert(converter_.get(), converted_->extended_data, frames, in, frames);
    const int rc = converted < 0 ? converted
                                 : av_audio_fifo_write(queue_.get(), reinterpret_cast<void**>(converted_->extended_data),
                                                       converted);
    if (rc < 0)
        return Status::failure("cannot queue samples (" + ffmpegErrorText(rc) + ")");
    return encodeQueued(false);
}

Status FfmpegEncoder::encodeQueued(bool final)
{
    while (av_audio_fifo_size(queue_.get()) >= frameSize_ || (final && av_audio_fifo_size(queue_.get()) > 0)) {
        const int available = std::min(av_audio_fifo_size(queue_.get()), frameSize_);
        const int frameSamples = available < frameSize_ && !acceptsShortLastFrame_ ? frameSize_ : available;
        // The encoder may still hold the previous frame: ensureCapacity copies it away then.
        if (Status s = ensureCapacity(frame_, frameSize_); !s)
            return s;
        frame_->nb_samples = frameSamples;
        if (frameSamples > available)
            av_samples_set_silence(frame_->extended_data, 0, frameSamples, plan_.channels, codec_->sample_fmt);
        if (av_audio_fifo_read(queue_.get(), reinterpret_cast<void**>(frame_->extended_data), available) < available)
            return Status::failure("cannot read queued samples");
        frame_->pts = nextPts_;
        nextPts_ += frameSamples;
        if (Status s = sendFrame(frame_.get()); !s)
            return s;
    }
    return Status::success();
}

Status FfmpegEncoder::sendFrame(const AVFrame* frame)
{
    if (int rc = avcodec_send_frame(codec_.get(), frame); rc < 0)
        return Status::failure("encoding failed (" + ffmpegErrorText(rc) + ")");
    return writePackets();
}

Status FfmpegEncoder::writePackets()
{
    while (true) {
        int rc = avcodec_receive_packet(codec_.get(), packet_.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return Status::success();
        if (rc < 0)
            return Status::failure("encoding failed (" + ffmpegErrorText(rc) + ")");
        ++packetsOut_;
        packet_->stream_index = stream_->index;
        av_packet_rescale_ts(packet_.get(), codec_->time_base, stream_->time_base);
        rc = av_interleaved_write_frame(format_.get(), packet_.get());
        if (rc < 0)
            return Status::failure("cannot write the result file (" + ffmpegErrorText(rc) + ")");
    }
}

Status FfmpegEncoder::finish()
{
    if (Status s = encodeQueued(true); !s)
        return s;
    if (Status s = sendFrame(nullptr); !s)
        return s;
    if (int rc = av_write_trailer(format_.get()); rc < 0)
        return Status::failure("cannot complete the result file (" + ffmpegErrorText(rc) + ")");
    if (int rc = avio_closep(&format_->pb); rc < 0)
        return Status::failure("cannot write the result file (" + ffmpegErrorText(rc) + ")");
    return Status::success();
}

std::optional<GaplessInfo> FfmpegEncoder::gapless() const
{
    if (plan_.codec != AV_CODEC_ID_AAC)
        return std::nullopt;
    const int64_t priming = codec_->initial_padding;
    return GaplessInfo{priming, packetsOut_ * frameSize_ - priming - framesIn_, framesIn_};
}

std::vector<std::string> FfmpegEncoder::notes() const
{
    if (!quantizer_ || quantizer_->clippedSamples() == 0)
        return {};
    return {std::to_string(quantizer_->clippedSamples()) + " samples above full scale were clipped"};
}

} // namespace sonvale::engine
