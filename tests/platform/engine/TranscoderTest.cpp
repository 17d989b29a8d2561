#include "platform/engine/Transcoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "tests/platform/engine/AudioProbe.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/support/TempHome.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;
using test::AudioProbe;

// One kind of source, generated once for the whole suite: a 1 kHz tone of 3 s.
enum class Source { Wav16, Flac24, Mp3, M4a };

struct Case {
    const char* name;
    OutputSettings settings;
    const char* codec;      // FFmpeg's name of the result's codec
    int sampleRate;         // 0: the source's
    int channels;
    int bitsPerSample;      // 0: not checked (lossy)
    int64_t kbps;           // 0: not checked; otherwise within kbpsTolerance
    int variable;           // -1 not checked, 0 constant, 1 variable
    int frameSamples;       // the codec's frame: the allowed duration difference
    const char* note = "";  // expected in the plan's notes
    double kbpsTolerance = 0.15;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class TranscoderTest : public ::testing::TestWithParam<std::tuple<Source, Case>> {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new test::TempDir;
        test::ToneSpec tone{.frequency = 1000, .seconds = 3, .amplitude = 0.5, .sampleRate = 44100};
        test::writeToneWav(path(Source::Wav16), tone);
        tone.sampleRate = 48000;
        tone.bitsPerSample = 24;
        test::writeToneWav(dir_->path() / "tone24.wav", tone);
        convertFixture(dir_->path() / "tone24.wav", Source::Flac24, {OutputFormat::Flac, FlacOptions{}});
        convertFixture(path(Source::Wav16), Source::Mp3, {OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 192}});
        convertFixture(path(Source::Wav16), Source::M4a, {OutputFormat::M4a, M4aOptions{.bitRate = 192}});
    }
    static void TearDownTestSuite() { delete dir_; }

    static fs::path path(Source s)
    {
        static const std::map<Source, const char*> names{
            {Source::Wav16, "tone.wav"}, {Source::Flac24, "tone.flac"}, {Source::Mp3, "tone.mp3"}, {Source::M4a, "tone.m4a"}};
        return dir_->path() / names.at(s);
    }
    static void convertFixture(const fs::path& from, Source to, const OutputSettings& settings)
    {
        Transcoder transcoder(nullptr, nullptr);
        ASSERT_TRUE(transcoder.run(from, path(to), settings).isOk());
    }

    static test::TempDir* dir_;
};
test::TempDir* TranscoderTest::dir_ = nullptr;

TEST_P(TranscoderTest, WritesWhatTheSettingsAskForAndKeepsTheTone)
{
    const auto& [source, c] = GetParam();
    const fs::path out = dir_->path() / (std::string("out-") + c.name + "-" + std::to_string(int(source)));
    Transcoder transcoder(nullptr, nullptr);
    const Status status = transcoder.run(path(source), out, c.settings);
    ASSERT_TRUE(status.isOk()) << status.message();

    const AudioProbe in = AudioProbe::of(path(source));
    const AudioProbe result = AudioProbe::of(out);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.codec, c.codec);
    EXPECT_EQ(result.sampleRate, c.sampleRate ? c.sampleRate : in.sampleRate);
    EXPECT_EQ(result.channels, c.channels);
    if (c.bitsPerSample) {
        EXPECT_EQ(result.bitsPerSample, c.bitsPerSample);
    }
    // Every source is 3 s (lossy ones without their coder's priming and padding); resampling may
    // round the length by a sample.
    EXPECT_NEAR(result.durationSeconds, 3.0, double(c.frameSamples + 2) / result.sampleRate);
    if (c.kbps) {
        EXPECT_NEAR(double(result.bitRate) / 1000, double(c.kbps), c.kbps * c.kbpsTolerance);
    }
    if (c.variable >= 0) {
        EXPECT_EQ(result.variableBitRate, c.variable == 1) << "packets " << result.packetCount;
    }
    EXPECT_NEAR(result.frequency, 1000, 20);
    EXPECT_GT(result.peak, 0.3);
    std::string notes;
    for (const auto& n : transcoder.plan().notes)
        notes += n + ";";
    EXPECT_NE(notes.find(c.note), std::string::npos) << notes;
}

const Case kCases[] = {
    {"mp3-cbr192", {OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 192, .channelMode = 1}},
     "mp3", 0, 2, 0, 192, 0, 1152},
    {"mp3-cbr128-crc-stereo", {OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 128, .cbrHighQuality = false, .useCrc = true, .channelMode = 0}},
     "mp3", 0, 2, 0, 128, 0, 1152},
    {"mp3-vbr-mono-22k", {OutputFormat::Mp3, Mp3Options{.vbrMinBitRate = 32, .vbrMaxBitRate = 160, .vbrQuality = 2, .channelMode = 3, .sampleRate = 22050}},
     "mp3", 22050, 1, 0, 0, 1, 1152},
    // The AAC encoder spends fewer bits than asked on a pure tone: it has nothing more to code.
    {"aac-256", {OutputFormat::M4a, M4aOptions{.codec = 37, .bitRate = 256, .bitRateMode = 1}},
     "aac", 0, 2, 0, 256, -1, 1024, "", 0.2},
    // HE-AAC v2 is parametric stereo: a mono choice still gives two channels.
    {"aac-hev2-mono-mp4", {OutputFormat::M4a, M4aOptions{.codec = 42, .sampleRate = 32000, .channels = 1, .bitRate = 64, .extension = 3}},
     "aac", 32000, 2, 0, 64, -1, 1024, "HE-AAC v2 is not available"},
    {"aac-variable", {OutputFormat::M4a, M4aOptions{.codec = 37, .quality = 3, .bitRateMode = 4}},
     "aac", 0, 2, 0, 0, -1, 1024},
    {"alac-24", {OutputFormat::M4a, M4aOptions{.codec = 43, .sampleSize = 3}}, "alac", 0, 2, 24, 0, -1, 4096},
    {"alac-32", {OutputFormat::M4a, M4aOptions{.codec = 43, .sampleRate = 96000, .sampleSize = 4, .extension = 1}},
     "alac", 96000, 2, 24, 0, -1, 4096, "32-bit ALAC"},
    {"flac-16-high", {OutputFormat::Flac, FlacOptions{.compressionLevel = 3, .sampleSize = 2}}, "flac", 0, 2, 16, 0, -1, 0},
    {"flac-24-96k-mono", {OutputFormat::Flac, FlacOptions{.sampleRate = 96000, .channels = 1, .sampleSize = 3}},
     "flac", 96000, 1, 24, 0, -1, 0},
    {"flac-8", {OutputFormat::Flac, FlacOptions{.sampleSize = 1}}, "flac", 0, 2, 16, 0, -1, 0, "8-bit FLAC"},
    {"wav-16", {OutputFormat::Wav, PcmOptions{.codec = 3}}, "pcm_s16le", 0, 2, 16, 0, -1, 0},
    {"wav-u8", {OutputFormat::Wav, PcmOptions{.codec = 2, .channels = 1}}, "pcm_u8", 0, 1, 8, 0, -1, 0},
    {"wav-24-48k", {OutputFormat::Wav, PcmOptions{.codec = 7, .sampleRate = 48000}}, "pcm_s24le", 48000, 2, 24, 0, -1, 0},
    {"wav-32", {OutputFormat::Wav, PcmOptions{.codec = 11}}, "pcm_s32le", 0, 2, 32, 0, -1, 0},
    {"wav-float", {OutputFormat::Wav, PcmOptions{.codec = 17}}, "pcm_f32le", 0, 2, 32, 0, -1, 0},
    {"wav-alaw", {OutputFormat::Wav, PcmOptions{.codec = 15}}, "pcm_alaw", 0, 2, 8, 0, -1, 0},
    {"wav-mulaw", {OutputFormat::Wav, PcmOptions{.codec = 16, .sampleRate = 8000, .channels = 1}}, "pcm_mulaw", 8000, 1, 8, 0, -1, 0},
    {"wav-ima", {OutputFormat::Wav, PcmOptions{.codec = 24}}, "adpcm_ima_wav", 0, 2, 4, 0, -1, 2048},
    {"wav-ms", {OutputFormat::Wav, PcmOptions{.codec = 26}}, "adpcm_ms", 0, 2, 4, 0, -1, 2048},
    {"wav-gsm", {OutputFormat::Wav, PcmOptions{.codec = 19}}, "gsm_ms", 8000, 1, 0, 13, -1, 320, "8000 Hz"},
    {"aiff-16", {OutputFormat::Aiff, PcmOptions{.codec = 4}}, "pcm_s16be", 0, 2, 16, 0, -1, 0},
    {"aiff-s8", {OutputFormat::Aiff, PcmOptions{.codec = 1}}, "pcm_s8", 0, 2, 8, 0, -1, 0},
    {"aiff-24", {OutputFormat::Aiff, PcmOptions{.codec = 8, .channels = 1}}, "pcm_s24be", 0, 1, 24, 0, -1, 0},
    {"aiff-32", {OutputFormat::Aiff, PcmOptions{.codec = 12}}, "pcm_s32be", 0, 2, 32, 0, -1, 0},
    {"aiff-float", {OutputFormat::Aiff, PcmOptions{.codec = 18}}, "pcm_f32be", 0, 2, 32, 0, -1, 0},
    {"aiff-sowt", {OutputFormat::Aiff, PcmOptions{.codec = 3}}, "pcm_s16le", 0, 2, 16, 0, -1, 0},
    {"aiff-ulaw", {OutputFormat::Aiff, PcmOptions{.codec = 16}}, "pcm_mulaw", 0, 2, 8, 0, -1, 0},
    {"aiff-ima-qt", {OutputFormat::Aiff, PcmOptions{.codec = 25}}, "adpcm_ima_qt", 0, 2, 4, 0, -1, 64},
};

std::string caseName(const ::testing::TestParamInfo<std::tuple<Source, Case>>& info)
{
    static const char* sources[] = {"FromWav", "FromFlac", "FromMp3", "FromM4a"};
    std::string name = std::string(sources[int(std::get<0>(info.param))]) + "_" + std::get<1>(info.param).name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, TranscoderTest,
                         ::testing::Combine(::testing::Values(Source::Wav16, Source::Flac24, Source::Mp3, Source::M4a),
                                            ::testing::ValuesIn(kCases)),
                         caseName);

} // namespace
} // namespace sonvale::engine
