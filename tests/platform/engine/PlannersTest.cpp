#include <gtest/gtest.h>

#include "platform/engine/DestinationPlanner.h"
#include "platform/engine/EncoderPlanner.h"
#include "platform/engine/TaskInfoMapping.h"

namespace sonvale::engine {
namespace {

SourceInfo flac96k() { return {.codecName = "flac", .sampleRate = 96000, .channels = 2, .bitsPerSample = 24}; }
SourceInfo mp3At160() { return {.codecName = "mp3", .sampleRate = 44100, .channels = 1, .bitRate = 160000}; }

TEST(EncoderPlannerTest, AutomaticAndAsSourceChoicesResolveAgainstTheSource)
{
    EncoderPlan plan;
    ASSERT_TRUE(EncoderPlanner::plan({OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 0}}, mp3At160(), plan).isOk());
    EXPECT_EQ(plan.bitRate, 160000) << "a lossy source keeps its rate";
    EXPECT_EQ(plan.channels, 1) << "as the source: mono stays mono";
    ASSERT_TRUE(EncoderPlanner::plan({OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 0}}, flac96k(), plan).isOk());
    EXPECT_EQ(plan.bitRate, 320000) << "lossless gets the top rate";
    EXPECT_EQ(plan.sampleRate, 48000) << "the highest MP3 rate not above the source's";
    ASSERT_TRUE(EncoderPlanner::plan({OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 16, .channelMode = 0}}, flac96k(), plan).isOk());
    EXPECT_EQ(plan.mp3ChannelMode, 3) << "below 24 kbps the result is mono";
    ASSERT_TRUE(EncoderPlanner::plan({OutputFormat::M4a, M4aOptions{.codec = 37, .sampleRate = 192000}}, flac96k(), plan).isOk());
    EXPECT_EQ(plan.sampleRate, 96000) << "AAC's highest rate";
    ASSERT_TRUE(EncoderPlanner::plan({OutputFormat::Wav, PcmOptions{.codec = 0}}, flac96k(), plan).isOk());
    EXPECT_EQ(plan.codec, AV_CODEC_ID_PCM_S24LE);
    ASSERT_TRUE(EncoderPlanner::plan({OutputFormat::Aiff, PcmOptions{.codec = 0}}, mp3At160(), plan).isOk());
    EXPECT_EQ(plan.codec, AV_CODEC_ID_PCM_S16BE) << "a lossy source counts as 16 bits";
    EXPECT_FALSE(EncoderPlanner::plan({OutputFormat::Aiff, PcmOptions{.codec = 7}}, mp3At160(), plan).isOk())
        << "a WAV-only codec is no AIFF codec";
    EXPECT_FALSE(EncoderPlanner::plan({OutputFormat::Flac, Mp3Options{}}, mp3At160(), plan).isOk());
}

TEST(EncoderPlannerTest, AnAiffResultOverFourGigabytesFailsBeforeAnyWork)
{
    // 45 minutes of 6 channels at 24 bits and 96 kHz: 4.7 GB.
    const SourceInfo big{.codecName = "pcm_s24le", .sampleRate = 96000, .channels = 6, .bitsPerSample = 24,
                         .durationSeconds = 45 * 60, .durationIsExact = true};
    EncoderPlan plan;
    const Status aiff = EncoderPlanner::plan({OutputFormat::Aiff, PcmOptions{}}, big, plan);
    ASSERT_FALSE(aiff.isOk());
    EXPECT_NE(aiff.message().find("4 GB"), std::string::npos) << aiff.message();
    EXPECT_TRUE(EncoderPlanner::plan({OutputFormat::Wav, PcmOptions{}}, big, plan).isOk());
    EXPECT_TRUE(EncoderPlanner::plan({OutputFormat::Aiff, PcmOptions{.codec = 4, .channels = 2}}, big, plan).isOk())
        << "as 16-bit stereo it fits";
}

TEST(TaskInfoMappingTest, EveryFormatsOptionsComeFromTheirBlock)
{
    TQTaskInfoRecord record;
    TQKitTaskInfoInit(&record);
    record.formatCode = 1;
    record.mp3Options.cbr = true;
    record.mp3Options.cbrBitRate = 192;
    record.overwritePolicy = 1;
    record.subfolderName = "Playlist";
    BatchSettings s = TaskInfoMapping::fromRecord(record);
    ASSERT_EQ(s.output.format, OutputFormat::Mp3);
    EXPECT_EQ(std::get<Mp3Options>(s.output.options).cbrBitRate, 192);
    EXPECT_EQ(s.overwritePolicy, 1);
    EXPECT_EQ(s.subfolderName, "Playlist");

    record.formatCode = 3;
    record.furtherOptions3 = {8, 48000, 1, 0};
    s = TaskInfoMapping::fromRecord(record);
    ASSERT_EQ(s.output.format, OutputFormat::Aiff);
    EXPECT_EQ(std::get<PcmOptions>(s.output.options).codec, 8);
    EXPECT_EQ(std::get<PcmOptions>(s.output.options).channels, 1);

    record.formatCode = 5;
    record.furtherOptions5 = {44100, 2, 3, 2, 0, 1};
    s = TaskInfoMapping::fromRecord(record);
    ASSERT_EQ(s.output.format, OutputFormat::Flac);
    EXPECT_EQ(std::get<FlacOptions>(s.output.options).tagsFormat, 1);

    record.formatCode = 4;
    record.m4aOptions.codec = 43;
    s = TaskInfoMapping::fromRecord(record);
    EXPECT_EQ(std::get<M4aOptions>(s.output.options).codec, 43);
}


TEST(TaskInfoMappingTest, EffectsPlaylistAndSourceFieldsReachTheBatch)
{
    using effects::NormalizationMethod;
    TQTaskInfoRecord record;
    record.peakTargetLevel = 0; // normalization off: method 0 with both targets 0
    record.r128TargetLevel = 0;
    record.automaticVolumeControl = true;
    BatchSettings s = TaskInfoMapping::fromRecord(record);
    EXPECT_EQ(s.effects.normalization, NormalizationMethod::Off);
    EXPECT_FALSE(s.effects.automaticVolumeControl) << "volume control only comes with normalization";

    record.normalizationMethod = 3;
    record.r128TargetLevel = -16;
    record.limitDurationMs = 2000;
    record.fadeInMs = 500;
    record.fadeOutMs = 700;
    record.trimSilence = true;
    record.trimSilenceThreshold = -50;
    record.supportCUESheets = record.acceptPlaylists = record.acceptShortcuts = true;
    record.acceptedPlaylistType = 32;
    record.loadTagsFromNetwork = record.moveToTrashSourceFiles = true;
    record.artworkConversion = kTQTaskInfoArtworkToPNG;
    record.maxArtworkSize = 600;
    record.playlist = {true, true, 8, 0x105};
    record.secondName = "Road Trip";
    s = TaskInfoMapping::fromRecord(record);
    EXPECT_EQ(s.effects.normalization, NormalizationMethod::Loudness);
    EXPECT_EQ(s.effects.loudnessTargetLufs, -16);
    EXPECT_TRUE(s.effects.automaticVolumeControl);
    EXPECT_EQ(std::tie(s.effects.durationLimitMs, s.effects.fadeInMs, s.effects.fadeOutMs), std::tuple(2000, 500, 700));
    EXPECT_TRUE(s.effects.trimSilence);
    EXPECT_EQ(s.effects.silenceThresholdDbfs, -50);
    EXPECT_TRUE(s.cueSheets && s.acceptPlaylists && s.acceptShortcuts && s.tagsFromNetwork && s.moveSourcesToBin);
    EXPECT_EQ(s.acceptedPlaylistType, 32);
    EXPECT_EQ(s.artwork.format, artwork::ArtworkFormat::Png);
    EXPECT_EQ(s.artwork.maxSize, 600);
    EXPECT_TRUE(s.createPlaylist && s.mergePlaylist);
    EXPECT_EQ(std::tie(s.playlistType, s.playlistSortOrder), std::tuple(8, 0x105));
    EXPECT_EQ(s.playlistName, "Road Trip") << "an empty playlist name takes the second name";
    record.playlistName = "Mix";
    EXPECT_EQ(TaskInfoMapping::fromRecord(record).playlistName, "Mix");
}

struct DestinationCase {
    const char* name;
    BatchSettings settings;
    DestinationPlanner::Request request;
    const char* expected; // or "!" + the start of the failure
};

void PrintTo(const DestinationCase& c, std::ostream* os) { *os << c.name; }

class DestinationPlannerTest : public ::testing::TestWithParam<DestinationCase> {};

TEST_P(DestinationPlannerTest, PlacesTheResult)
{
    const DestinationCase& c = GetParam();
    DestinationPlanner planner(c.settings, nullptr);
    std::filesystem::path path;
    const Status status = planner.pathFor(c.request, path);
    if (c.expected[0] == '!') {
        ASSERT_FALSE(status.isOk());
        EXPECT_EQ(status.message().rfind(c.expected + 1, 0), 0u) << status.message();
    } else {
        ASSERT_TRUE(status.isOk()) << status.message();
        EXPECT_EQ(path.string(), c.expected);
    }
}

BatchSettings to(const char* folder, bool replicate = false, const char* subfolder = "")
{
    BatchSettings s;
    s.destinationFolder = folder;
    s.replicateFolders = replicate;
    s.subfolderName = subfolder;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DestinationPlannerTest,
    ::testing::Values(
        DestinationCase{"flat", to("/out"), {"/music/a/b/song.flac", "/music/a", "mp3", {}}, "/out/song.mp3"},
        DestinationCase{"replicated", to("/out", true), {"/music/a/b/song.flac", "/music/a", "mp3", {}}, "/out/a/b/song.mp3"},
        DestinationCase{"trailing_separator", to("/out/"), {"/music/song.flac", "", "mp3", {}}, "/out/song.mp3"},
        DestinationCase{"trailing_separators_replicated", to("/out//", true), {"/music/a/b/song.flac", "/music/a", "mp3", {}},
                        "/out/a/b/song.mp3"},
        DestinationCase{"root", to("/"), {"/music/song.flac", "", "mp3", {}}, "/song.mp3"},
        DestinationCase{"single_file_not_replicated", to("/out", true), {"/music/a/song.flac", "", "mp3", {}}, "/out/song.mp3"},
        DestinationCase{"playlist_subfolder", to("/out", true, "../My List"), {"/m/a/s.wav", "/m/a", "m4a", {}}, "/out/-My List/s.m4a"},
        DestinationCase{"beside_source", [] { auto s = to(""); s.asSourceFolder = true; return s; }(),
                        {"/music/a/song.flac", "", "flac", {}}, "/music/a/song.flac"},
        DestinationCase{"remote", to("/out"), {"https://host/path/track%201.wav?x=1", "", "mp3", {}}, "/out/track%201.mp3"},
        DestinationCase{"hidden_name", to("/out"), {"/music/.hidden.flac", "", "mp3", {}}, "/out/hidden.mp3"},
        DestinationCase{"no_destination", to(""), {"/music/song.flac", "", "mp3", {}}, "!no destination folder"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace sonvale::engine
