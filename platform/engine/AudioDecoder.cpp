#include "platform/engine/AudioDecoder.h"

#include <algorithm>

#include "platform/engine/WavHeader.h"

extern "C" {
#include <libavutil/error.h>
}

namespace sonvale::engine {
namespace {

int interruptWhenStopped(void* opaque)
{
    auto* flag = static_cast<const std::atomic<bool>*>(opaque);
    return flag && flag->load(std::memory_order_relaxed) ? 1 : 0;
}

constexpr int kMinSampleRate = 1000;
constexpr int kMaxSampleRate = 768000;

} // namespace

std::string ffmpegErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

Status AudioDecoder::open(const std::string& path)
{
    if (Status s = openInput(path); !s)
        return s;
    if (Status s = openStream(); !s)
        return s;
    describeSource(path);
    packet_.reset(av_packet_alloc());
    return packet_ ? Status::success() : Status::failure("out of memory");
}

Status AudioDecoder::openInput(const std::string& path)
{
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw)
        return Status::failure("out of memory");
    raw->interrupt_callback = {interruptWhenStopped, const_cast<std::atomic<bool>*>(stopFlag_)};
    if (int rc = avformat_open_input(&raw, path.c_str(), nullptr, nullptr); rc < 0)
        return Status::failure("not a readable audio file (" + ffmpegErrorText(rc) + ")");
    format_.reset(raw);
    if (int rc = avformat_find_stream_info(raw, nullptr); rc < 0)
        return Status::failure("cannot read the audio stream (" + ffmpegErrorText(rc) + ")");
    return Status::success();
}

Status AudioDecoder::openStream()
{
    const AVCodec* decoder = nullptr;
    streamIndex_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (streamIndex_ < 0 || !decoder)
        return Status::failure("no audio stream");
    codec_.reset(avcodec_alloc_context3(decoder));
    if (!codec_)
        return Status::failure("out of memory");
    const AVStream* stream = format_->streams[streamIndex_];
    if (int rc = avcodec_parameters_to_context(codec_.get(), stream->codecpar); rc < 0)
        return Status::failure("bad audio parameters (" + ffmpegErrorText(rc) + ")");
    codec_->pkt_timebase = stream->time_base;
    if (int rc = avcodec_open2(codec_.get(), decoder, nullptr); rc < 0)
        return Status::failure("cannot open the " + std::string(decoder->name) + " decoder ("
                               + ffmpegErrorText(rc) + ")");
    // A damaged or hostile header can claim anything; 1 Hz would make hours of audio of a few bytes.
    if (codec_->sample_rate < kMinSampleRate || codec_->sample_rate > kMaxSampleRate)
        return Status::failure("the file claims an impossible sample rate (" + std::to_string(codec_->sample_rate)
                               + " Hz)");
    if (codec_->ch_layout.nb_channels <= 0)
        return Status::failure("the file claims an audio stream without channels");
    if (codec_->ch_layout.order == AV_CHANNEL_ORDER_NATIVE)
        info_.channelMask = codec_->ch_layout.u.mask;
    if (codec_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        const int channels = codec_->ch_layout.nb_channels;
        av_channel_layout_uninit(&codec_->ch_layout);
        av_channel_layout_default(&codec_->ch_layout, channels);
    }
    return Status::success();
}

void AudioDecoder::describeSource(const std::string& path)
{
    const AVStream* stream = format_->streams[streamIndex_];
    const AVCodecParameters* par = stream->codecpar;
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(par->codec_id);
    info_.codecName = descriptor ? descriptor->name : "unknown";
    info_.sampleRate = codec_->sample_rate;
    info_.channels = codec_->ch_layout.nb_channels;
    const bool lossless = descriptor && (descriptor->props & AV_CODEC_PROP_LOSSLESS);
    if (lossless) {
        info_.bitsPerSample = par->bits_per_raw_sample > 0     ? par->bits_per_raw_sample
                              : par->bits_per_coded_sample > 0 ? par->bits_per_coded_sample
                                                               : av_get_bytes_per_sample(codec_->sample_fmt) * 8;
    }
    const AVSampleFormat packed = av_get_packed_sample_fmt(codec_->sample_fmt);
    info_.floatingPoint = lossless && (packed == AV_SAMPLE_FMT_FLT || packed == AV_SAMPLE_FMT_DBL);
    info_.bitRate = par->bit_rate > 0 ? par->bit_rate : format_->bit_rate;
    if (stream->duration != AV_NOPTS_VALUE)
        info_.durationSeconds = stream->duration * av_q2d(stream->time_base);
    else if (format_->duration != AV_NOPTS_VALUE)
        info_.durationSeconds = double(format_->duration) / AV_TIME_BASE;
    info_.durationIsExact = format_->duration_estimation_method == AVFMT_DURATION_FROM_STREAM;
    const std::string container = format_->iformat->name;
    // The MP4 family states the length without the coder's padding; FFmpeg skips the priming
    // samples but leaves the padding at the end to the caller.
    if (container.find("mp4") != std::string::npos && stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        info_.lengthFrames = av_rescale_q(stream->duration, stream->time_base, AVRational{1, info_.sampleRate});
    // What the header promises, not what FFmpeg found in the file: a truncated file must show.
    if (container == "wav" && par->block_align > 0)
        if (const auto bytes = WavHeader::declaredDataBytes(path)) {
            info_.durationSeconds = double(*bytes / uint64_t(par->block_align)) / info_.sampleRate;
            info_.durationIsExact = true;
        }
}

Status AudioDecoder::sendNextPacket()
{
    while (true) {
        int rc = av_read_frame(format_.get(), packet_.get());
        if (rc == AVERROR_EOF || (rc < 0 && avio_feof(format_->pb))) {
            inputEnded_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            return Status::success();
        }
        if (rc < 0)
            return Status::failure(stopFlag_ && *stopFlag_ ? "stopped" : "read error (" + ffmpegErrorText(rc) + ")");
        if (packet_->stream_index != streamIndex_) {
            av_packet_unref(packet_.get());
            continue;
        }
        rc = avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
        // Damaged packets are skipped as players do; a file of nothing but damage fails below.
        if (rc < 0 && rc != AVERROR_INVALIDDATA && rc != AVERROR(EAGAIN))
            return Status::failure("decode error (" + ffmpegErrorText(rc) + ")");
        return Status::success();
    }
}

Status AudioDecoder::nextFrame(AVFrame* frame, bool& endOfStream)
{
    endOfStream = false;
    while (true) {
        if (stopFlag_ && stopFlag_->load(std::memory_order_relaxed))
            return Status::failure("stopped");
        int rc = avcodec_receive_frame(codec_.get(), frame);
        if (rc == 0) {
            // Time stamps say where a frame belongs; streams without them count decoded samples.
            const AVStream* stream = format_->streams[streamIndex_];
            const double length = double(frame->nb_samples) / std::max(1, frame->sample_rate);
            decoded_ += length;
            position_ = frame->best_effort_timestamp != AV_NOPTS_VALUE
                            ? frame->best_effort_timestamp * av_q2d(stream->time_base) + length
                            : std::max(position_, decoded_);
            return Status::success();
        }
        if (rc == AVERROR_EOF) {
            endOfStream = true;
            return Status::success();
        }
        if (rc != AVERROR(EAGAIN) && rc != AVERROR_INVALIDDATA)
            return Status::failure("decode error (" + ffmpegErrorText(rc) + ")");
        if (inputEnded_) {
            endOfStream = true;
            return Status::success();
        }
        if (Status s = sendNextPacket(); !s)
            return s;
    }
}

bool AudioDecoder::seekBefore(int64_t sample)
{
    const AVCodecID id = codec_->codec_id;
    const bool exact = id == AV_CODEC_ID_FLAC || (id >= AV_CODEC_ID_PCM_S16LE && id < AV_CODEC_ID_ADPCM_IMA_QT);
    if (!exact || info_.sampleRate <= 0)
        return false;
    const AVStream* stream = format_->streams[streamIndex_];
    const int64_t timestamp = av_rescale_q(sample, AVRational{1, info_.sampleRate}, stream->time_base);
    if (av_seek_frame(format_.get(), streamIndex_, timestamp, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(codec_.get());
    inputEnded_ = false;
    return true;
}

std::optional<int64_t> AudioDecoder::frameStart(const AVFrame* frame) const
{
    if (frame->best_effort_timestamp == AV_NOPTS_VALUE || info_.sampleRate <= 0)
        return std::nullopt;
    return av_rescale_q(frame->best_effort_timestamp, format_->streams[streamIndex_]->time_base,
                        AVRational{1, info_.sampleRate});
}

} // namespace sonvale::engine
