// Every option of the format panels as the engine honours it: generated audio converted with the
// options and read back with FFmpeg. Where the encoder can't do what is asked, the result is the
// nearest thing it can do and the item's notes say what changed.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <random>

#include "platform/engine/Transcoder.h"
#include "tests/platform/engine/AudioProbe.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/support/TempHome.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;

// Two tones per channel over a little noise: something a lossless coder can predict only in part,
// as with music.
std::vector<double> musicLike(int sampleRate, int channels, double seconds)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-0.01, 0.01);
    const auto frames = size_t(seconds * sampleRate);
    std::vector<double> samples(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / sampleRate;
        for (int c = 0; c < channels; ++c)
            samples[i * size_t(channels) + size_t(c)] = 0.3 * std::sin(2 * std::numbers::pi * (220 + 30 * c) * t)
                                                        + 0.15 * std::sin(2 * std::numbers::pi * 1250 * t)
                                                        + noise(random);
    }
    return samples;
}

std::string joined(const std::vector<std::string>& notes)
{
    std::string all;
    for (const auto& n : notes)
        all += n + "; ";
    return all;
}

// The first MPEG audio frame header of an MP3 file without tags: its channel mode (0 stereo,
// 1 joint, 2 dual, 3 mono) and, when the frame is LAME's info frame, the quality field LAME writes
// there: 100 - 10 x VBR quality - algorithm quality.
struct Mp3FirstFrame {
    int mode = -1;
    int infoQuality = -1;
};

Mp3FirstFrame readFirstFrame(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes(4096);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    Mp3FirstFrame frame;
    if (bytes.size() < 4 || bytes[0] != 0xff || (bytes[1] & 0xe0) != 0xe0)
        return frame;
    frame.mode = bytes[3] >> 6;
    for (size_t i = 4; i + 120 < bytes.size(); ++i) {
        if (std::equal(bytes.begin() + long(i), bytes.begin() + long(i) + 4, "Info")
            || std::equal(bytes.begin() + long(i), bytes.begin() + long(i) + 4, "Xing")) {
            // Flags 0x0f: frame count, byte count, table of contents, then the quality field.
            const unsigned char* q = &bytes[i + 8 + 4 + 4 + 100];
            frame.infoQuality = (q[0] << 24) | (q[1] << 16) | (q[2] << 8) | q[3];
            break;
        }
    }
    return frame;
}

class FormatOptionsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new test::TempDir;
        test::writeWav(source(44100), musicLike(44100, 2, 3), 44100, 2);
        test::writeWav(source(22050), musicLike(22050, 2, 3), 22050, 2);
        test::writeWav(source(8000), musicLike(8000, 1, 3), 8000, 1);
    }
    static void TearDownTestSuite() { delete dir_; }
    static fs::path source(int rate) { return dir_->path() / ("music" + std::to_string(rate) + ".wav"); }

    // Converts and probes; the notes are what the item's status shows after "Converted".
    test::AudioProbe convert(int sourceRate, const OutputSettings& settings, const std::string& name,
                             std::string* notes = nullptr)
    {
        const fs::path out = dir_->path() / name;
        Transcoder transcoder(nullptr, nullptr);
        const Status status = transcoder.run(source(sourceRate), out, settings);
        EXPECT_TRUE(status.isOk()) << status.message();
        if (notes)
            *notes = joined(transcoder.notes());
        return test::AudioProbe::of(out);
    }
    static fs::path out(const std::string& name) { return dir_->path() / name; }

    static test::TempDir* dir_;
};
test::TempDir* FormatOptionsTest::dir_ = nullptr;

struct Mp3Case {
    const char* name;
    int sourceRate;
    Mp3Options options;
    int rate;          // of the result
    int channels;
    int kbps;          // CBR: the result's bit rate; 0 for VBR
    const char* note;  // among the notes; empty: no note at all
};

void PrintTo(const Mp3Case& c, std::ostream* os) { *os << c.name; }

const Mp3Case kMp3Cases[] = {
    // MPEG-2 rates end at 160 kbps: the rate moves up to the MPEG-1 rate of its family.
    {"cbr320_from_22k_moves_to_44k", 22050, {.cbr = true, .cbrBitRate = 320, .channelMode = 1}, 44100, 2, 320,
     "44100 Hz instead of 22050 Hz, which can't carry 320 kbps"},
    // MPEG-1 starts at 32 kbps: 16 kbps moves the rate down; below 24 kbps it is mono.
    {"cbr16_stereo_moves_to_22k_mono", 44100, {.cbr = true, .cbrBitRate = 16, .channelMode = 0}, 22050, 1, 16,
     "22050 Hz instead of 44100 Hz, which can't carry 16 kbps; mono, as the bit rate is below 24 kbps"},
    // An explicit 8000 Hz can't carry 320: the MPEG-1 rate of the 32 kHz family carries it.
    {"cbr320_at_8k_moves_to_32k", 44100, {.cbr = true, .cbrBitRate = 320, .channelMode = 1, .sampleRate = 8000},
     32000, 2, 320, "32000 Hz instead of 8000 Hz"},
    // No version carries 8 and 320 together: the rate stays and the low bound moves.
    {"vbr8_to_320_keeps_44k_and_raises_the_low_bound", 44100,
     {.cbr = false, .vbrMinBitRate = 8, .vbrMaxBitRate = 320, .channelMode = 1}, 44100, 2, 0,
     "VBR 32 to 320 kbps instead of VBR 8 to 320 kbps, which 44100 Hz can't carry"},
    // Automatic picks among the rates of the source's own version.
    {"cbr_auto_from_lossless_22k_takes_its_top_rate", 22050, {.cbr = true, .cbrBitRate = 0, .channelMode = 1}, 22050,
     2, 160, ""},
    {"cbr128_at_22k_is_honoured_as_is", 22050, {.cbr = true, .cbrBitRate = 128, .channelMode = 1}, 22050, 2, 128, ""},
};

class Mp3RatesTest : public FormatOptionsTest, public ::testing::WithParamInterface<Mp3Case> {};

TEST_P(Mp3RatesTest, TheRulesDecideRateAndBitRateBeforeEncoding)
{
    const Mp3Case& c = GetParam();
    std::string notes;
    const test::AudioProbe probe = convert(c.sourceRate, {OutputFormat::Mp3, c.options},
                                           std::string(c.name) + ".mp3", &notes);
    EXPECT_EQ(probe.codec, "mp3");
    EXPECT_EQ(probe.sampleRate, c.rate);
    EXPECT_EQ(probe.channels, c.channels);
    if (c.kbps) {
        EXPECT_FALSE(probe.variableBitRate);
        EXPECT_NEAR(double(probe.bitRate) / 1000, c.kbps, c.kbps * 0.03);
    } else {
        EXPECT_TRUE(probe.variableBitRate);
    }
    if (*c.note)
        EXPECT_NE(notes.find(c.note), std::string::npos) << notes;
    else
        EXPECT_EQ(notes, "");
}

INSTANTIATE_TEST_SUITE_P(Table, Mp3RatesTest, ::testing::ValuesIn(kMp3Cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormatOptionsTest, Mp3ChannelModesAndAlgorithmQualityReachTheFrames)
{
    const Mp3Options normal{.cbr = true, .cbrBitRate = 192, .cbrHighQuality = false, .channelMode = 0};
    Mp3Options high = normal;
    high.cbrHighQuality = true;
    high.channelMode = 2;
    std::string notes;
    convert(44100, {OutputFormat::Mp3, normal}, "normal.mp3", &notes);
    EXPECT_EQ(notes, "");
    convert(44100, {OutputFormat::Mp3, high}, "high.mp3");
    const Mp3FirstFrame normalFrame = readFirstFrame(out("normal.mp3"));
    const Mp3FirstFrame highFrame = readFirstFrame(out("high.mp3"));
    EXPECT_EQ(normalFrame.mode, 0) << "stereo";
    EXPECT_EQ(highFrame.mode, 2) << "dual channel";
    // LAME's own default algorithm quality is 3 and its default VBR quality 4: 100 - 40 - 3.
    EXPECT_EQ(normalFrame.infoQuality, 57);
    EXPECT_EQ(highFrame.infoQuality, 58) << "high quality is algorithm quality 2";
}

TEST_F(FormatOptionsTest, AnMp3WhoseFramesCantHoldTheGaplessHeaderSaysSo)
{
    std::string notes;
    convert(44100, {OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 32, .channelMode = 3}}, "tiny.mp3",
            &notes);
    EXPECT_EQ(readFirstFrame(out("tiny.mp3")).infoQuality, -1);
    EXPECT_NE(notes.find("no gapless header: frames at 32 kbps are too small to hold one"), std::string::npos) << notes;
    convert(44100, {OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 64, .channelMode = 3}}, "small.mp3",
            &notes);
    EXPECT_NE(readFirstFrame(out("small.mp3")).infoQuality, -1);
    EXPECT_EQ(notes, "");
}

TEST_F(FormatOptionsTest, EveryAlacLevelCompressesAndHigherLevelsCompressMore)
{
    const auto wavSize = fs::file_size(source(44100));
    std::vector<uintmax_t> sizes;
    for (int quality : {1, 2, 3}) {
        const std::string name = "alac" + std::to_string(quality) + ".m4a";
        const test::AudioProbe probe = convert(44100, {OutputFormat::M4a, M4aOptions{.codec = 43, .quality = quality}},
                                               name);
        EXPECT_EQ(probe.codec, "alac");
        EXPECT_TRUE(test::decodeIntegerSamples(source(44100)) == test::decodeIntegerSamples(out(name)))
            << "lossless at level " << quality;
        sizes.push_back(fs::file_size(out(name)));
    }
    EXPECT_LT(sizes[0], wavSize * 9 / 10) << "low";
    EXPECT_LT(sizes[1], sizes[0]) << "medium";
    EXPECT_LT(sizes[2], sizes[1]) << "high";
}

TEST_F(FormatOptionsTest, AacModesAndProfilesSayWhatTheEncoderDid)
{
    std::string notes;
    test::AudioProbe probe = convert(44100, {OutputFormat::M4a, M4aOptions{.codec = 37, .bitRate = 128, .bitRateMode = 2}},
                                     "average.m4a", &notes);
    EXPECT_EQ(probe.profile, "LC");
    EXPECT_NEAR(double(probe.bitRate) / 1000, 128, 128 * 0.15);
    EXPECT_EQ(notes, "");

    probe = convert(44100, {OutputFormat::M4a, M4aOptions{.codec = 37, .bitRate = 128, .bitRateMode = 1}},
                    "constant.m4a", &notes);
    EXPECT_NEAR(double(probe.bitRate) / 1000, 128, 128 * 0.15);
    EXPECT_NE(notes.find("AAC is encoded at an average bit rate: constant is not available"), std::string::npos)
        << notes;

    probe = convert(44100, {OutputFormat::M4a, M4aOptions{.codec = 42, .channels = 2, .bitRate = 64}}, "hev2.m4a",
                    &notes);
    EXPECT_EQ(probe.profile, "LC");
    EXPECT_EQ(probe.channels, 2);
    EXPECT_NE(notes.find("HE-AAC v2 is not available, encoded as AAC-LC"), std::string::npos) << notes;

    // 8000 Hz mono holds at most 6144 bits per 1024 samples: 48 kbps.
    probe = convert(8000, {OutputFormat::M4a, M4aOptions{.codec = 37, .bitRate = 320}}, "narrow.m4a", &notes);
    EXPECT_EQ(probe.sampleRate, 8000);
    EXPECT_LE(probe.bitRate, 48000 * 105 / 100);
    EXPECT_NE(notes.find("48 kbps instead of 320 kbps, the most 8000 Hz carries"), std::string::npos) << notes;
}

} // namespace
} // namespace sonvale::engine
