// Results as a careful listener checks them: every source is generated here, converted, and the
// result decoded back and measured: peaks per channel, exact lengths, bits, distortion.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <numbers>
#include <sstream>

#include <lame/lame.h>
#include <taglib/mp4file.h>

#include "platform/engine/ItemConverter.h"
#include "platform/engine/Transcoder.h"
#include "tests/platform/engine/AudioProbe.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/support/TempHome.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;
using test::WavFormat;

// Channel `c` of interleaved samples.
std::vector<double> channel(const test::DecodedAudio& audio, int c)
{
    std::vector<double> out;
    for (size_t i = size_t(c); i < audio.samples.size(); i += size_t(audio.channels))
        out.push_back(audio.samples[i]);
    return out;
}

double peakOf(const std::vector<double>& samples)
{
    double peak = 0;
    for (double s : samples)
        peak = std::max(peak, std::fabs(s));
    return peak;
}

// Amplitude of `frequency` over the first `frames` samples (a whole number of its periods).
double amplitudeAt(const std::vector<double>& samples, double frequency, int rate, size_t frames)
{
    double re = 0, im = 0;
    for (size_t n = 0; n < frames; ++n) {
        re += samples[n] * std::cos(2 * std::numbers::pi * frequency * double(n) / rate);
        im -= samples[n] * std::sin(2 * std::numbers::pi * frequency * double(n) / rate);
    }
    return 2 * std::hypot(re, im) / double(frames);
}

// Every channel carries its own tone: channel c at 440 + 110 c Hz, so a channel moved or mixed
// into another shows.
std::vector<double> tones(const WavFormat& f, double seconds, double amplitude, bool sameOnEvery = false)
{
    const auto frames = size_t(seconds * f.sampleRate);
    std::vector<double> samples(frames * f.channels);
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < f.channels; ++c) {
            const double hz = sameOnEvery ? 440 : 440 + 110 * c;
            samples[i * f.channels + c] = amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / f.sampleRate);
        }
    return samples;
}

struct Source {
    WavFormat format;
    std::function<std::vector<double>(const WavFormat&)> signal;
};

// The sources of the table, by name.
const std::map<std::string, Source>& sources()
{
    static const std::map<std::string, Source> all{
        // A hot 5.1 master: every channel peaks at -3.1 dBFS, in phase, so a plain sum goes far over.
        {"hot51", {{.channels = 6, .bitsPerSample = 24, .channelMask = 0x3f},
                   [](const WavFormat& f) { return tones(f, 2, 0.7, true); }}},
        {"loudStereo", {{}, [](const WavFormat& f) { return tones(f, 2, 0.99, true); }}},
        {"mono", {{.channels = 1}, [](const WavFormat& f) { return tones(f, 2, 0.5); }}},
        {"quad", {{.channels = 4, .channelMask = 0x33}, [](const WavFormat& f) { return tones(f, 2, 0.5); }}},
        {"three", {{.channels = 3}, [](const WavFormat& f) { return tones(f, 2, 0.5); }}},
        {"eight", {{.channels = 8, .bitsPerSample = 24}, [](const WavFormat& f) { return tones(f, 1, 0.5); }}},
        {"stereo16", {{}, [](const WavFormat& f) { return tones(f, 2, 0.5); }}},
        {"floatOver", {{.bitsPerSample = 32, .floatingPoint = true}, [](const WavFormat& f) { return tones(f, 2, 1.5); }}},
        {"int32", {{.bitsPerSample = 32}, [](const WavFormat& f) { return tones(f, 2, 0.5); }}},
        {"hi48", {{.sampleRate = 48000, .bitsPerSample = 24}, [](const WavFormat& f) { return tones(f, 3, 0.5); }}},
    };
    return all;
}

struct Case {
    const char* name;
    const char* source;
    OutputSettings settings;
    int channels;
    bool bitExact = false;       // the result's samples are the source's, bit for bit
    double peakAtMost = 0;       // of any channel, in full scale; 0: not checked
    double channelLevel = 0;     // every channel peaks at this (within one 16-bit step); 0: not checked
    const char* codec = nullptr; // FFmpeg's name of the result's codec; null: not checked
    const char* note = "";       // among the conversion's notes
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// One step of 16 bits; where a mix leaves the grid, dither may add up to one more.
constexpr double kStep16 = 1.0 / 32768;

const Case kCases[] = {
    {"surround_to_stereo_stays_below_the_source_peak", "hot51",
     {OutputFormat::Wav, PcmOptions{.codec = 3, .channels = 2}}, 2, false, 0.7 + 2 * kStep16},
    {"surround_to_mp3_with_default_options_does_not_clip", "hot51", {OutputFormat::Mp3, Mp3Options{}}, 2, false, 0.8},
    {"stereo_to_mono_stays_below_the_source_peak", "loudStereo",
     {OutputFormat::Wav, PcmOptions{.codec = 3, .channels = 1}}, 1, false, 0.99 + 2 * kStep16},
    {"mono_to_stereo_keeps_the_level", "mono", {OutputFormat::Wav, PcmOptions{.codec = 3, .channels = 2}}, 2, false,
     0, 0.5},
    {"quad_as_source_keeps_every_channel_in_wav", "quad", {OutputFormat::Wav, PcmOptions{}}, 4, true},
    {"quad_as_source_keeps_every_channel_in_flac", "quad", {OutputFormat::Flac, FlacOptions{}}, 4, true},
    {"quad_as_source_keeps_every_channel_in_alac", "quad", {OutputFormat::M4a, M4aOptions{.codec = 43}}, 4, true,
     0, 0, "alac", "no quad layout"},
    {"three_channels_in_alac", "three", {OutputFormat::M4a, M4aOptions{.codec = 43}}, 3, true},
    {"eight_channels_in_alac", "eight", {OutputFormat::M4a, M4aOptions{.codec = 43}}, 8, true},
    {"sixteen_bits_to_sixteen_bits_wav_is_bit_exact", "stereo16", {OutputFormat::Wav, PcmOptions{.codec = 3}}, 2, true},
    {"sixteen_bits_to_flac_is_bit_exact", "stereo16", {OutputFormat::Flac, FlacOptions{.sampleSize = 2}}, 2, true},
    {"sixteen_bits_to_alac_is_bit_exact", "stereo16", {OutputFormat::M4a, M4aOptions{.codec = 43}}, 2, true},
    {"float_over_full_scale_stays_float_on_automatic", "floatOver", {OutputFormat::Wav, PcmOptions{}}, 2, true, 0, 0,
     "pcm_f32le"},
    {"float_over_full_scale_in_aiff_stays_float", "floatOver", {OutputFormat::Aiff, PcmOptions{}}, 2, true, 0, 0,
     "pcm_f32be"},
    {"float_over_full_scale_to_flac_says_it_clipped", "floatOver", {OutputFormat::Flac, FlacOptions{}}, 2, false, 1.0,
     0, "flac", "above full scale were clipped"},
    {"thirty_two_bit_integer_is_bit_exact", "int32", {OutputFormat::Wav, PcmOptions{}}, 2, true, 0, 0, "pcm_s32le"},
    {"thirty_two_bit_integer_in_aiff_is_bit_exact", "int32", {OutputFormat::Aiff, PcmOptions{.codec = 12}}, 2, true},
};

class AudioResultsTest : public ::testing::TestWithParam<Case> {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new test::TempDir;
        for (const auto& [name, source] : sources())
            test::writeWav(sourcePath(name), source.signal(source.format), source.format);
    }
    static void TearDownTestSuite() { delete dir_; }
    static fs::path sourcePath(const std::string& name) { return dir_->path() / (name + ".wav"); }

    static test::TempDir* dir_;
};
test::TempDir* AudioResultsTest::dir_ = nullptr;

TEST_P(AudioResultsTest, DecodesBackAsTheSettingsPromise)
{
    const Case& c = GetParam();
    const fs::path source = sourcePath(c.source);
    const fs::path out = dir_->path() / (std::string(c.name) + ".out");
    Transcoder transcoder(nullptr, nullptr);
    const Status status = transcoder.run(source, out, c.settings);
    ASSERT_TRUE(status.isOk()) << status.message();

    const test::DecodedAudio result = test::decodeAudio(out);
    ASSERT_EQ(result.channels, c.channels);
    EXPECT_NEAR(result.seconds(), test::decodeAudio(source).seconds(), 0.03);
    if (c.bitExact) {
        EXPECT_TRUE(test::decodeIntegerSamples(source) == test::decodeIntegerSamples(out));
    }
    for (int ch = 0; ch < result.channels; ++ch) {
        const double peak = peakOf(channel(result, ch));
        if (c.peakAtMost > 0) {
            EXPECT_LE(peak, c.peakAtMost) << "channel " << ch;
        }
        if (c.channelLevel > 0) {
            EXPECT_NEAR(peak, c.channelLevel, kStep16) << "channel " << ch;
        }
    }
    if (c.codec) {
        EXPECT_EQ(test::AudioProbe::of(out).codec, c.codec);
    }
    std::string notes;
    for (const auto& n : transcoder.notes())
        notes += n + ";";
    EXPECT_NE(notes.find(c.note), std::string::npos) << notes;
}

INSTANTIATE_TEST_SUITE_P(Table, AudioResultsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A 24-bit tone at -90 dBFS is about one step of 16 bits: rounded alone it turns into a square-ish
// wave whose odd harmonics stand about 10 dB below it. Dither keeps it a tone in a steady hiss.
TEST_F(AudioResultsTest, AQuietTwentyFourBitToneKeepsNoHarmonicsAtSixteenBits)
{
    const WavFormat format{.bitsPerSample = 24};
    const double amplitude = std::pow(10.0, -90.0 / 20);
    std::vector<double> samples(size_t(format.sampleRate) * 2 * 2);
    for (size_t i = 0; i < samples.size() / 2; ++i)
        samples[2 * i] = samples[2 * i + 1] = amplitude * std::sin(2 * std::numbers::pi * 1000 * double(i) / 44100);
    const fs::path source = dir_->path() / "quiet24.wav", out = dir_->path() / "quiet16.wav";
    test::writeWav(source, samples, format);
    Transcoder transcoder(nullptr, nullptr);
    ASSERT_TRUE(transcoder.run(source, out, {OutputFormat::Wav, PcmOptions{.codec = 3}}).isOk());

    const std::vector<double> left = channel(test::decodeAudio(out), 0);
    ASSERT_GE(left.size(), 44100u);
    const double tone = amplitudeAt(left, 1000, 44100, 44100);
    EXPECT_NEAR(20 * std::log10(tone), -90, 1.0);
    for (double harmonic : {2000.0, 3000.0, 5000.0})
        EXPECT_LT(20 * std::log10(amplitudeAt(left, harmonic, 44100, 44100) / tone), -30) << harmonic << " Hz";
}

// Resampled results are as long as the source, to the sample the rates allow.
TEST_F(AudioResultsTest, AResampledResultKeepsTheSourceLength)
{
    const fs::path out = dir_->path() / "hi48-to-44.wav";
    Transcoder transcoder(nullptr, nullptr);
    ASSERT_TRUE(transcoder.run(sourcePath("hi48"), out, {OutputFormat::Wav, PcmOptions{.codec = 3, .sampleRate = 44100}}).isOk());
    const test::DecodedAudio result = test::decodeAudio(out);
    EXPECT_EQ(result.sampleRate, 44100);
    EXPECT_NEAR(double(result.samples.size() / 2), 3 * 44100, 1);
    EXPECT_NEAR(peakOf(channel(result, 0)), 0.5, 0.01);
}

// Raw MPEG frames of a tone from LAME, without an info frame, so two of them joined make one stream
// that changes its format in the middle, as broadcast recordings and joined files do.
std::vector<unsigned char> mp3Frames(int sampleRate, int channels, double seconds)
{
    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, sampleRate);
    lame_set_out_samplerate(lame, sampleRate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_bWriteVbrTag(lame, 0);
    lame_init_params(lame);
    const auto frames = int(seconds * sampleRate);
    std::vector<float> pcm(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        pcm[size_t(i)] = float(0.5 * std::sin(2 * std::numbers::pi * 440 * i / sampleRate));
    std::vector<unsigned char> bytes(size_t(frames) * 5 / 4 + 7200 * 2);
    int size = lame_encode_buffer_ieee_float(lame, pcm.data(), pcm.data(), frames, bytes.data(), int(bytes.size()));
    size += lame_encode_flush(lame, bytes.data() + size, int(bytes.size()) - size);
    lame_close(lame);
    bytes.resize(size_t(size));
    return bytes;
}

TEST_F(AudioResultsTest, AnMp3ThatChangesItsFormatMidStreamConvertsWhole)
{
    struct Join {
        const char* name;
        int secondRate;
        int secondChannels;
    };
    for (const Join& join : {Join{"stereo-then-mono", 44100, 1}, Join{"44k-then-48k", 48000, 2}}) {
        SCOPED_TRACE(join.name);
        std::vector<unsigned char> bytes = mp3Frames(44100, 2, 2.0);
        const auto second = mp3Frames(join.secondRate, join.secondChannels, 2.0);
        bytes.insert(bytes.end(), second.begin(), second.end());
        const fs::path source = dir_->path() / (std::string(join.name) + ".mp3");
        std::ofstream(source, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

        const fs::path out = dir_->path() / (std::string(join.name) + ".wav");
        Transcoder transcoder(nullptr, nullptr);
        ASSERT_TRUE(transcoder.run(source, out, {OutputFormat::Wav, PcmOptions{.codec = 3}}).isOk());
        const test::DecodedAudio result = test::decodeAudio(out);
        EXPECT_EQ(result.sampleRate, 44100);
        EXPECT_EQ(result.channels, 2);
        // Each part is 2 s plus the coder's delay and padding.
        EXPECT_NEAR(result.seconds(), 4.0, 0.12);
        EXPECT_NEAR(peakOf(channel(result, 1)), 0.5, 0.05);
    }
}

// The iTunSMPB fields of an M4A result: priming, padding, length.
std::vector<long long> itunesGapless(const fs::path& path)
{
    TagLib::MP4::File file(path.c_str());
    std::vector<long long> fields;
    if (!file.isValid() || !file.tag() || !file.tag()->contains("----:com.apple.iTunes:iTunSMPB"))
        return fields;
    std::istringstream text(file.tag()->item("----:com.apple.iTunes:iTunSMPB").toStringList().front().to8Bit());
    std::string field;
    for (int i = 0; i < 4 && text >> field; ++i)
        if (i > 0)
            fields.push_back(std::stoll(field, nullptr, 16));
    return fields;
}

// AAC adds a frame of priming and pads the last frame: the M4A says where the audio lies (edit list
// and iTunSMPB, to the sample), and an AAC source is decoded to exactly its own length.
TEST_F(AudioResultsTest, AacResultsAndSourcesAreGaplessToTheSample)
{
    for (const int64_t frames : {int64_t(3 * 44100 + 123), int64_t(1)}) {
        SCOPED_TRACE(frames);
        const std::string name = "gapless" + std::to_string(frames);
        const fs::path source = dir_->path() / (name + ".wav"), m4a = dir_->path() / (name + ".m4a");
        test::ToneSpec tone{.frequency = 440, .seconds = double(frames) / 44100};
        test::writeToneWav(source, tone);
        ItemJob job;
        job.sourcePath = source;
        job.outputPath = m4a;
        job.settings = {OutputFormat::M4a, M4aOptions{.codec = 37, .bitRate = 128}};
        job.stripTags = true;
        ASSERT_TRUE(ItemConverter::run(job, nullptr, nullptr).status.isOk());

        EXPECT_EQ(test::decodeAudio(m4a).samples.size(), size_t(2 * frames)) << "the edit list is exact";
        const auto smpb = itunesGapless(m4a);
        ASSERT_EQ(smpb.size(), 3u);
        EXPECT_EQ(smpb[0], 1024);
        EXPECT_EQ((smpb[0] + smpb[1] + smpb[2]) % 1024, 0) << "whole AAC frames";
        EXPECT_EQ(smpb[2], frames);

        // The M4A as a source: priming and padding stay out of the result.
        const fs::path flac = dir_->path() / (name + ".flac");
        Transcoder transcoder(nullptr, nullptr);
        ASSERT_TRUE(transcoder.run(m4a, flac, {OutputFormat::Flac, FlacOptions{}}).isOk());
        EXPECT_EQ(test::decodeAudio(flac).samples.size(), size_t(2 * frames));
    }
}

TEST_F(AudioResultsTest, ATruncatedWavIsRefusedAsTruncated)
{
    const fs::path whole = dir_->path() / "whole.wav", cut = dir_->path() / "cut.wav";
    test::writeToneWav(whole, {.seconds = 4});
    fs::copy_file(whole, cut);
    fs::resize_file(cut, fs::file_size(whole) / 2);
    Transcoder transcoder(nullptr, nullptr);
    const Status status = transcoder.run(cut, dir_->path() / "cut.flac", {OutputFormat::Flac, FlacOptions{}});
    ASSERT_FALSE(status.isOk());
    EXPECT_NE(status.message().find("truncated"), std::string::npos) << status.message();
}

} // namespace
} // namespace sonvale::engine
