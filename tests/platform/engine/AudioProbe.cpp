#include "tests/platform/engine/AudioProbe.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/engine/FfmpegHandles.h"

namespace sonvale::test {
namespace {

using namespace sonvale::engine;

// Counts rising crossings through a small band around zero, so codec noise at the crossing
// doesn't count twice; the middle half of the signal avoids fades at the edges.
double toneFrequency(const std::vector<float>& mono, int sampleRate, double peak)
{
    const size_t begin = mono.size() / 4, end = mono.size() * 3 / 4;
    if (end <= begin + 2 || peak <= 0)
        return 0;
    const float band = float(peak * 0.1);
    bool below = mono[begin] < 0;
    size_t first = 0, last = 0, crossings = 0;
    for (size_t i = begin; i < end; ++i) {
        if (below && mono[i] > band) {
            below = false;
            if (crossings++ == 0)
                first = i;
            last = i;
        } else if (!below && mono[i] < -band) {
            below = true;
        }
    }
    if (crossings < 2)
        return 0;
    return double(crossings - 1) * sampleRate / double(last - first);
}

} // namespace

AudioProbe AudioProbe::of(const std::filesystem::path& path)
{
    AudioProbe probe;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        probe.error = "cannot open " + path.string();
        return probe;
    }
    InputFormatPtr format(raw);
    avformat_find_stream_info(raw, nullptr);
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (index < 0 || !decoder) {
        probe.error = "no audio stream in " + path.string();
        return probe;
    }
    const AVCodecParameters* par = raw->streams[index]->codecpar;
    CodecContextPtr codec(avcodec_alloc_context3(decoder));
    avcodec_parameters_to_context(codec.get(), par);
    codec->pkt_timebase = raw->streams[index]->time_base;
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0) {
        probe.error = "cannot open the decoder";
        return probe;
    }
    probe.container = raw->iformat->name;
    probe.codec = avcodec_get_name(par->codec_id);
    if (const char* profile = avcodec_profile_name(par->codec_id, par->profile))
        probe.profile = profile;
    probe.sampleRate = codec->sample_rate;
    probe.channels = codec->ch_layout.nb_channels;
    probe.bitsPerSample = par->bits_per_raw_sample > 0 ? par->bits_per_raw_sample : par->bits_per_coded_sample;

    SwrContext* swrRaw = nullptr;
    // Planar float keeps every channel apart; the tone is read from channel 0.
    swr_alloc_set_opts2(&swrRaw, &codec->ch_layout, AV_SAMPLE_FMT_FLTP, codec->sample_rate, &codec->ch_layout,
                        codec->sample_fmt, codec->sample_rate, 0, nullptr);
    ResamplerPtr swr(swrRaw);
    swr_init(swrRaw);

    std::vector<float> first;
    std::vector<int> packetSizes;
    int64_t packetBytes = 0;
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    std::vector<std::vector<float>> planes(size_t(probe.channels));
    auto receive = [&] {
        while (avcodec_receive_frame(codec.get(), frame.get()) == 0) {
            for (auto& p : planes)
                p.resize(size_t(frame->nb_samples) + 64);
            std::vector<uint8_t*> out;
            for (auto& p : planes)
                out.push_back(reinterpret_cast<uint8_t*>(p.data()));
            const int n = swr_convert(swr.get(), out.data(), frame->nb_samples + 64,
                                      const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            if (n > 0)
                first.insert(first.end(), planes[0].begin(), planes[0].begin() + n);
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(raw, packet.get()) >= 0) {
        if (packet->stream_index == index) {
            packetSizes.push_back(packet->size);
            packetBytes += packet->size;
            avcodec_send_packet(codec.get(), packet.get());
            receive();
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(codec.get(), nullptr);
    receive();

    probe.packetCount = int64_t(packetSizes.size());
    probe.durationSeconds = double(first.size()) / std::max(1, probe.sampleRate);
    if (probe.durationSeconds > 0)
        probe.bitRate = int64_t(double(packetBytes) * 8 / probe.durationSeconds);
    if (packetSizes.size() > 4) {
        // Constant bit rates vary by a padding byte at most; ignore the short last packet.
        auto [lo, hi] = std::minmax_element(packetSizes.begin(), packetSizes.end() - 1);
        probe.variableBitRate = *hi - *lo > std::max(2, *hi / 20);
    }
    for (float s : first)
        probe.peak = std::max(probe.peak, double(std::fabs(s)));
    probe.frequency = toneFrequency(first, probe.sampleRate, probe.peak);
    return probe;
}

} // namespace sonvale::test
