#include "platform/engine/AudioResampler.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/opt.h>
}

namespace sonvale::engine {
namespace {

// A layout in native order: it owns no memory.
void setLayout(AVChannelLayout& layout, int channels, uint64_t mask)
{
    if (mask == 0 || av_channel_layout_from_mask(&layout, mask) < 0 || layout.nb_channels != channels)
        av_channel_layout_default(&layout, channels);
}

// A frame's layout, with FFmpeg's default standing in where the file named no speakers.
void layoutOf(const AVFrame& frame, AVChannelLayout& layout)
{
    av_channel_layout_uninit(&layout);
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_copy(&layout, &frame.ch_layout) < 0)
        av_channel_layout_default(&layout, frame.ch_layout.nb_channels);
}

// A mono source reaches the front pair at -3 dB in FFmpeg's mix; here it keeps its level on every
// channel it reaches.
Status spreadMono(SwrContext* swr, const AVChannelLayout& in, const AVChannelLayout& out)
{
    std::vector<double> matrix(size_t(out.nb_channels));
    int rc = swr_build_matrix2(&in, &out, M_SQRT1_2, M_SQRT1_2, 0, 1.0, 1.0, matrix.data(), 1,
                               AV_MATRIX_ENCODING_NONE, nullptr);
    const double largest = rc < 0 ? 0 : *std::max_element(matrix.begin(), matrix.end());
    if (largest > 0)
        for (double& gain : matrix)
            gain /= largest;
    if (rc >= 0)
        rc = swr_set_matrix(swr, matrix.data(), 1);
    return rc < 0 ? Status::failure("cannot mix the audio (" + ffmpegErrorText(rc) + ")") : Status::success();
}

} // namespace

void AudioResampler::open(int outRate, int outChannels, uint64_t outChannelMask)
{
    outRate_ = outRate;
    outChannels_ = outChannels;
    outMask_ = outChannelMask;
}

bool AudioResampler::fits(const AVFrame& frame) const
{
    if (!swr_ || frame.format != input_.format || frame.sample_rate != input_.rate)
        return false;
    AVChannelLayout layout{};
    layoutOf(frame, layout);
    const bool same = av_channel_layout_compare(&layout, &input_.layout) == 0;
    av_channel_layout_uninit(&layout);
    return same;
}

Status AudioResampler::rebuild(const AVFrame& frame)
{
    input_.format = frame.format;
    input_.rate = frame.sample_rate;
    layoutOf(frame, input_.layout);
    AVChannelLayout outLayout{};
    setLayout(outLayout, outChannels_, outMask_);
    // The same count: channel n stays channel n, whatever the two layouts call it.
    AVChannelLayout& inLayout = input_.layout.nb_channels == outChannels_ ? outLayout : input_.layout;
    SwrContext* raw = nullptr;
    int rc = swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_DBL, outRate_, &inLayout,
                                 AVSampleFormat(frame.format), frame.sample_rate, 0, nullptr);
    swr_.reset(raw);
    if (rc < 0)
        return Status::failure("cannot convert the audio (" + ffmpegErrorText(rc) + ")");
    av_opt_set_sample_fmt(raw, "internal_sample_fmt", AV_SAMPLE_FMT_DBLP, 0);
    // A mix's largest sum of gains is 1, so it never passes the source's peak.
    av_opt_set_double(raw, "rematrix_maxval", 1.0, 0);
    if (input_.layout.nb_channels == 1 && outChannels_ > 1)
        if (Status s = spreadMono(raw, input_.layout, outLayout); !s)
            return s;
    if (frame.sample_rate != outRate_) {
        av_opt_set(raw, "resampler", "soxr", 0);
        av_opt_set_int(raw, "precision", 28, 0);
    }
    if ((rc = swr_init(raw)) < 0)
        return Status::failure("cannot convert the audio (" + ffmpegErrorText(rc) + ")");
    return Status::success();
}

Status AudioResampler::append(const uint8_t* const* planes, int samples, std::vector<double>& out)
{
    const int capacity = swr_get_out_samples(swr_.get(), samples) + 32;
    const size_t start = out.size();
    out.resize(start + size_t(capacity) * outChannels_);
    uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(out.data() + start)};
    const int produced = swr_convert(swr_.get(), outPlanes, capacity, const_cast<const uint8_t**>(planes), samples);
    if (produced < 0)
        return Status::failure("cannot convert the audio (" + ffmpegErrorText(produced) + ")");
    out.resize(start + size_t(produced) * outChannels_);
    return Status::success();
}

Status AudioResampler::convert(const AVFrame* frame, std::vector<double>& out)
{
    out.clear();
    if (frame && !fits(*frame)) {
        if (swr_)
            if (Status s = append(nullptr, 0, out); !s)
                return s;
        if (Status s = rebuild(*frame); !s)
            return s;
    }
    if (!swr_)
        return Status::success();
    return frame ? append(frame->extended_data, frame->nb_samples, out) : append(nullptr, 0, out);
}

} // namespace sonvale::engine
