#include "platform/engine/AudioResampler.h"

namespace sonvale::engine {

Status AudioResampler::open(const AVCodecContext& decoder, int outRate, int outChannels)
{
    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, outChannels);
    SwrContext* raw = nullptr;
    int rc = swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_FLT, outRate,
                                 const_cast<AVChannelLayout*>(&decoder.ch_layout), decoder.sample_fmt,
                                 decoder.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&outLayout);
    swr_.reset(raw);
    if (rc < 0 || (rc = swr_init(raw)) < 0)
        return Status::failure("cannot convert the audio (" + ffmpegErrorText(rc) + ")");
    outRate_ = outRate;
    inRate_ = decoder.sample_rate;
    outChannels_ = outChannels;
    return Status::success();
}

Status AudioResampler::convert(const AVFrame* frame, std::vector<float>& out)
{
    const int inSamples = frame ? frame->nb_samples : 0;
    const int capacity = swr_get_out_samples(swr_.get(), inSamples) + 32;
    out.resize(size_t(capacity) * outChannels_);
    uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(out.data())};
    const int produced = swr_convert(swr_.get(), outPlanes, capacity,
                                     frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr,
                                     inSamples);
    if (produced < 0)
        return Status::failure("cannot convert the audio (" + ffmpegErrorText(produced) + ")");
    out.resize(size_t(produced) * outChannels_);
    return Status::success();
}

} // namespace sonvale::engine
