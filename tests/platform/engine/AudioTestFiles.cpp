#include "tests/platform/engine/AudioTestFiles.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <numbers>
#include <random>
#include <stdexcept>

#include "platform/engine/DecodedStream.h"
#include "platform/engine/FfmpegHandles.h"

namespace sonvale::test {
namespace {

void putLittleEndian(std::ofstream& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(char((value >> (8 * i)) & 0xff));
}

} // namespace

std::vector<double> toneSamples(const ToneSpec& tone)
{
    const auto frames = size_t(std::llround(tone.seconds * tone.sampleRate));
    std::vector<double> samples(frames * tone.channels);
    for (size_t i = 0; i < frames; ++i) {
        const double v = tone.amplitude * std::sin(2 * std::numbers::pi * tone.frequency * double(i) / tone.sampleRate);
        for (int c = 0; c < tone.channels; ++c)
            samples[i * tone.channels + c] = v;
    }
    return samples;
}

void writeWav(const std::filesystem::path& path, const std::vector<double>& samples, const WavFormat& format)
{
    const int bytesPerSample = format.bitsPerSample / 8;
    const uint32_t dataBytes = uint32_t(samples.size() * bytesPerSample);
    const bool extensible = format.channelMask != 0;
    const uint32_t fmtBytes = extensible ? 40 : 16;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
    out.write("RIFF", 4);
    putLittleEndian(out, 20 + fmtBytes + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    putLittleEndian(out, fmtBytes, 4);
    const int code = format.floatingPoint ? 3 : 1;
    putLittleEndian(out, extensible ? 0xfffe : code, 2);
    putLittleEndian(out, format.channels, 2);
    putLittleEndian(out, format.sampleRate, 4);
    putLittleEndian(out, uint64_t(format.sampleRate) * format.channels * bytesPerSample, 4);
    putLittleEndian(out, format.channels * bytesPerSample, 2);
    putLittleEndian(out, format.bitsPerSample, 2);
    if (extensible) {
        putLittleEndian(out, 22, 2);
        putLittleEndian(out, format.bitsPerSample, 2);
        putLittleEndian(out, format.channelMask, 4);
        putLittleEndian(out, code, 2); // the sub-format GUID: the format code, then a fixed tail
        out.write("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
    }
    out.write("data", 4);
    putLittleEndian(out, dataBytes, 4);
    const double fullScale = std::ldexp(1.0, format.bitsPerSample - 1) - 1;
    for (double s : samples) {
        if (format.floatingPoint) {
            const float f = float(s);
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            putLittleEndian(out, bits, 4);
            continue;
        }
        const auto v = int64_t(std::llround(s * fullScale));
        putLittleEndian(out, format.bitsPerSample == 8 ? uint64_t(v + 128) : uint64_t(v), bytesPerSample);
    }
}

void writeWav(const std::filesystem::path& path, const std::vector<double>& samples, int sampleRate, int channels,
              int bitsPerSample)
{
    writeWav(path, samples, {.sampleRate = sampleRate, .channels = channels, .bitsPerSample = bitsPerSample});
}

void writeToneWav(const std::filesystem::path& path, const ToneSpec& tone)
{
    writeWav(path, toneSamples(tone), tone.sampleRate, tone.channels, tone.bitsPerSample);
}

DecodedAudio decodeAudio(const std::filesystem::path& path)
{
    DecodedAudio audio;
    engine::DecodedStream stream(nullptr);
    if (!stream.open(path.string(), std::nullopt))
        return audio;
    audio.sampleRate = stream.info().sampleRate;
    audio.channels = stream.info().channels;
    stream.startOutput(audio.sampleRate, audio.channels, stream.info().channelMask);
    std::vector<double> block;
    for (bool end = false;;) {
        if (!stream.read(block, end) || end)
            break;
        audio.samples.insert(audio.samples.end(), block.begin(), block.end());
    }
    return audio;
}

std::vector<int32_t> decodeIntegerSamples(const std::filesystem::path& path)
{
    using namespace engine;
    std::vector<int32_t> samples;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
        return samples;
    InputFormatPtr format(raw);
    const AVCodec* decoder = nullptr;
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return samples;
    const int index = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (index < 0)
        return samples;
    CodecContextPtr codec(avcodec_alloc_context3(decoder));
    avcodec_parameters_to_context(codec.get(), raw->streams[index]->codecpar);
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0)
        return samples;
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    auto receive = [&] {
        while (avcodec_receive_frame(codec.get(), frame.get()) == 0) {
            const auto sampleFormat = AVSampleFormat(frame->format);
            const bool planar = av_sample_fmt_is_planar(sampleFormat);
            const int bytes = av_get_bytes_per_sample(sampleFormat);
            const int channels = frame->ch_layout.nb_channels;
            for (int i = 0; i < frame->nb_samples; ++i)
                for (int c = 0; c < channels; ++c) {
                    const uint8_t* at = planar ? frame->extended_data[c] + size_t(i) * bytes
                                               : frame->extended_data[0] + (size_t(i) * channels + c) * bytes;
                    int32_t value = 0;
                    if (bytes == 1)
                        value = int32_t(uint32_t(*at ^ 0x80) << 24);
                    else if (bytes == 2)
                        value = int32_t(uint32_t(uint16_t(at[0] | at[1] << 8)) << 16);
                    else
                        std::memcpy(&value, at, 4);
                    samples.push_back(value);
                }
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(raw, packet.get()) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(codec.get(), packet.get()) == 0)
            receive();
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(codec.get(), nullptr);
    receive();
    return samples;
}

void writeRandomBytes(const std::filesystem::path& path, size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    for (size_t i = 0; i < size; ++i)
        out.put(char(random() & 0xff));
}

} // namespace sonvale::test
