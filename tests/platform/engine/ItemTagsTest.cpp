#include "platform/engine/ItemConverter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "platform/engine/FfmpegHandles.h"
#include "platform/engine/TagReader.h"
#include "tests/platform/engine/AudioProbe.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/support/TempHome.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;

// Nineteen fields of the kind a carefully tagged album carries, and a cover.
TagSet fullTags()
{
    TagSet tags;
    tags.fields = {{"TITLE", "Überschrift ♪"}, {"ARTIST", "The Artist"}, {"ALBUM", "An Album"},
                   {"ALBUMARTIST", "Various"}, {"GENRE", "Jazz"}, {"DATE", "1999"},
                   {"COMMENT", "A comment"}, {"TRACKNUMBER", "3/12"}, {"DISCNUMBER", "1/2"},
                   {"COMPOSER", "A Composer"}, {"LYRICS", "la la la"}, {"COMPILATION", "1"},
                   {"BPM", "120"}, {"ISRC", "USRC17607839"}, {"COPYRIGHT", "2000 Someone"},
                   {"TITLESORT", "Ueberschrift"}, {"ARTISTSORT", "Artist, The"}, {"ALBUMSORT", "Album, An"},
                   {"GROUPING", "Set 1"}};
    tags.artwork.mimeType = "image/jpeg";
    tags.artwork.data = {'\xFF', '\xD8', '\xFF', '\xE0'};
    for (int i = 0; i < 500; ++i)
        tags.artwork.data.push_back(char(i * 7));
    return tags;
}

std::map<std::string, std::string> asMap(const TagSet& tags)
{
    std::map<std::string, std::string> m;
    for (const auto& [name, value] : tags.fields)
        m.emplace(name, value);
    return m;
}

struct Target {
    const char* name;
    OutputSettings settings;
};

const Target kTargets[] = {
    {"mp3-id3v23", {OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 128, .metadataFormat = 3}}},
    {"mp3-id3v24-v1", {OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 128, .metadataFormat = 0}}},
    {"m4a", {OutputFormat::M4a, M4aOptions{.bitRate = 128}}},
    {"flac", {OutputFormat::Flac, FlacOptions{}}},
    {"flac-id3", {OutputFormat::Flac, FlacOptions{.tagsFormat = 1}}},
    {"wav", {OutputFormat::Wav, PcmOptions{.codec = 3, .tagsFormat = 0}}},
    {"aiff", {OutputFormat::Aiff, PcmOptions{.codec = 4}}},
};

void PrintTo(const Target& t, std::ostream* os) { *os << t.name; }

class ItemTagsTest : public ::testing::TestWithParam<std::tuple<Target, Target>> {
protected:
    void SetUp() override { test::writeToneWav(dir_.path() / "tone.wav", {.seconds = 1}); }

    ItemOutcome convert(const fs::path& from, const fs::path& to, const Target& target, ItemJob job = {})
    {
        job.sourcePath = from;
        job.outputPath = to;
        job.settings = target.settings;
        return ItemConverter::run(job, nullptr, nullptr);
    }

    test::TempDir dir_;
};

TEST_P(ItemTagsTest, TagsAndArtworkSurviveEveryPairOfFormats)
{
    const auto& [from, to] = GetParam();
    const fs::path source = dir_.path() / "source";
    ItemJob tagging;
    tagging.replacementTags = fullTags();
    ASSERT_TRUE(convert(dir_.path() / "tone.wav", source, from, tagging).status.isOk());

    const fs::path result = dir_.path() / "result";
    const ItemOutcome outcome = convert(source, result, to);
    ASSERT_TRUE(outcome.status.isOk()) << outcome.status.message();

    const TagSet written = TagReader::read(result);
    const auto got = asMap(written);
    for (const auto& [name, value] : fullTags().fields)
        EXPECT_EQ(got.count(name) ? got.at(name) : "<missing>", value) << name;
    EXPECT_EQ(written.artwork.data, fullTags().artwork.data);
    EXPECT_EQ(written.artwork.mimeType, "image/jpeg");
}

TEST_P(ItemTagsTest, StripLeavesNoTagsAndNoArtwork)
{
    const auto& [from, to] = GetParam();
    const fs::path source = dir_.path() / "source";
    ItemJob tagging;
    tagging.replacementTags = fullTags();
    ASSERT_TRUE(convert(dir_.path() / "tone.wav", source, from, tagging).status.isOk());

    ItemJob strip;
    strip.stripTags = true;
    const fs::path result = dir_.path() / "result";
    ASSERT_TRUE(convert(source, result, to, strip).status.isOk());
    const TagSet written = TagReader::read(result);
    EXPECT_TRUE(written.empty()) << written.fields.size() << " fields, first " << (written.fields.empty() ? "" : written.fields[0].first);
}

std::string pairName(const ::testing::TestParamInfo<std::tuple<Target, Target>>& info)
{
    std::string name = std::string(std::get<0>(info.param).name) + "_to_" + std::get<1>(info.param).name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryPair, ItemTagsTest,
                         ::testing::Combine(::testing::ValuesIn(kTargets), ::testing::ValuesIn(kTargets)), pairName);

class ItemTagChoiceTest : public ::testing::Test {
protected:
    test::TempDir dir_;
};

// What a result's bytes show of its tag layout.
struct LayoutSeen {
    int id3v2 = 0;     // major version of a leading ID3v2 tag (or of an "ID3 " chunk), 0 for none
    bool id3v1 = false;
    bool info = false;  // a RIFF INFO list
    bool operator==(const LayoutSeen&) const = default;
};

// The ID3v2 tag leads an MP3 or FLAC file; in WAV and AIFF it fills an "ID3 " chunk. RIFF lists
// are "LIST", a size and their kind ("INFO").
LayoutSeen layoutOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const bool chunked = bytes.rfind("RIFF", 0) == 0 || bytes.rfind("FORM", 0) == 0;
    size_t tag = bytes.rfind("ID3", 0) == 0 ? 0 : std::string::npos;
    if (chunked)
        for (const char* chunk : {"ID3 ", "id3 "})
            if (const auto at = bytes.find(chunk); at != std::string::npos && bytes.compare(at + 8, 3, "ID3") == 0)
                tag = at + 8;
    LayoutSeen seen;
    if (tag != std::string::npos)
        seen.id3v2 = bytes[tag + 3];
    seen.id3v1 = bytes.size() > 128 && bytes.compare(bytes.size() - 128, 3, "TAG") == 0;
    for (auto at = bytes.find("LIST"); at != std::string::npos; at = bytes.find("LIST", at + 4))
        seen.info = seen.info || bytes.compare(at + 8, 4, "INFO") == 0;
    return seen;
}

TEST_F(ItemTagChoiceTest, EachTagFormatOptionWritesItsLayout)
{
    test::writeToneWav(dir_.path() / "tone.wav", {.seconds = 0.5});
    struct Case {
        const char* name;
        OutputSettings settings;
        LayoutSeen expected;
    };
    const Case cases[] = {
        {"mp3 ID3v2.3", {OutputFormat::Mp3, Mp3Options{.metadataFormat = 3}}, {3, false, false}},
        {"mp3 ID3v2.4", {OutputFormat::Mp3, Mp3Options{.metadataFormat = 1}}, {4, false, false}},
        {"mp3 ID3v2.3 + v1", {OutputFormat::Mp3, Mp3Options{.metadataFormat = 2}}, {3, true, false}},
        {"mp3 ID3v2.4 + v1", {OutputFormat::Mp3, Mp3Options{.metadataFormat = 0}}, {4, true, false}},
        {"flac Vorbis", {OutputFormat::Flac, FlacOptions{.tagsFormat = 0}}, {0, false, false}},
        {"flac + ID3v2.4", {OutputFormat::Flac, FlacOptions{.tagsFormat = 1}}, {4, false, false}},
        {"flac + ID3v2.3", {OutputFormat::Flac, FlacOptions{.tagsFormat = 2}}, {3, false, false}},
        {"wav ID3v2.3", {OutputFormat::Wav, PcmOptions{.codec = 3, .tagsFormat = 4}}, {3, false, false}},
        {"wav ID3v2.4", {OutputFormat::Wav, PcmOptions{.codec = 3, .tagsFormat = 2}}, {4, false, false}},
        {"wav ID3v2.3 + Info", {OutputFormat::Wav, PcmOptions{.codec = 3, .tagsFormat = 3}}, {3, false, true}},
        {"wav ID3v2.4 + Info", {OutputFormat::Wav, PcmOptions{.codec = 3, .tagsFormat = 0}}, {4, false, true}},
        {"wav Info", {OutputFormat::Wav, PcmOptions{.codec = 3, .tagsFormat = 1}}, {0, false, true}},
    };
    for (const Case& c : cases) {
        ItemJob job{.sourcePath = dir_.path() / "tone.wav", .outputPath = dir_.path() / "out", .settings = c.settings};
        job.replacementTags = TagSet{{{"TITLE", "A title"}, {"ARTIST", "An artist"}}, {}};
        ASSERT_TRUE(ItemConverter::run(job, nullptr, nullptr).status.isOk()) << c.name;
        EXPECT_EQ(layoutOf(job.outputPath), c.expected) << c.name;
        EXPECT_EQ(TagReader::read(job.outputPath).value("TITLE"), "A title") << c.name;
        EXPECT_NEAR(test::AudioProbe::of(job.outputPath).durationSeconds, 0.5, 0.05) << c.name << ": still plays";
    }
}

TEST_F(ItemTagChoiceTest, WithoutTransferTheResultCarriesNoTagsButStillNamesByThem)
{
    test::writeToneWav(dir_.path() / "tone.wav", {.seconds = 1});
    ItemJob tagging{.sourcePath = dir_.path() / "tone.wav", .outputPath = dir_.path() / "tagged.flac",
                    .settings = {OutputFormat::Flac, FlacOptions{}}};
    tagging.replacementTags = fullTags();
    ASSERT_TRUE(ItemConverter::run(tagging, nullptr, nullptr).status.isOk());

    ItemJob job{.sourcePath = dir_.path() / "tagged.flac", .outputPath = dir_.path() / "plain.mp3",
                .settings = {OutputFormat::Mp3, Mp3Options{}}, .transferTags = false};
    const ItemOutcome outcome = ItemConverter::run(job, nullptr, nullptr);
    ASSERT_TRUE(outcome.status.isOk());
    EXPECT_TRUE(TagReader::read(job.outputPath).empty());
    EXPECT_EQ(outcome.namingTags.value("ARTIST"), "The Artist");
}

// A gradient picture of the given size, as JPEG, made with FFmpeg's own encoder.
Artwork jpegOfSize(int width, int height)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    CodecContextPtr context(avcodec_alloc_context3(codec));
    context->width = width;
    context->height = height;
    context->pix_fmt = AV_PIX_FMT_YUVJ420P;
    context->time_base = {1, 25};
    avcodec_open2(context.get(), codec, nullptr);
    FramePtr frame(av_frame_alloc());
    frame->width = width;
    frame->height = height;
    frame->format = AV_PIX_FMT_YUVJ420P;
    av_frame_get_buffer(frame.get(), 0);
    for (int plane = 0; plane < 3; ++plane)
        for (int y = 0; y < (plane ? height / 2 : height); ++y)
            for (int x = 0; x < (plane ? width / 2 : width); ++x)
                frame->data[plane][y * frame->linesize[plane] + x] = uint8_t((x + y) & 0xff);
    PacketPtr packet(av_packet_alloc());
    avcodec_send_frame(context.get(), frame.get());
    avcodec_receive_packet(context.get(), packet.get());
    Artwork art;
    art.data.assign(packet->data, packet->data + packet->size);
    art.mimeType = "image/jpeg";
    return art;
}

std::pair<int, int> pictureSize(const Artwork& art)
{
    const AVCodec* codec = avcodec_find_decoder(art.mimeType == "image/png" ? AV_CODEC_ID_PNG : AV_CODEC_ID_MJPEG);
    CodecContextPtr context(avcodec_alloc_context3(codec));
    avcodec_open2(context.get(), codec, nullptr);
    PacketPtr packet(av_packet_alloc());
    av_new_packet(packet.get(), int(art.data.size()));
    std::copy(art.data.begin(), art.data.end(), reinterpret_cast<char*>(packet->data));
    FramePtr frame(av_frame_alloc());
    avcodec_send_packet(context.get(), packet.get());
    avcodec_send_packet(context.get(), nullptr);
    if (avcodec_receive_frame(context.get(), frame.get()) < 0)
        return {0, 0};
    return {frame->width, frame->height};
}

TEST_F(ItemTagChoiceTest, ArtworkIsConvertedAndShrunkAsAsked)
{
    test::writeToneWav(dir_.path() / "tone.wav", {.seconds = 0.5});
    const Artwork big = jpegOfSize(1000, 600);
    ASSERT_EQ(pictureSize(big), (std::pair{1000, 600}));
    struct Case {
        int format, maxSide;
        const char* mime;
        std::pair<int, int> size;
    };
    for (const Case& c : {Case{2, 500, "image/png", {500, 300}}, Case{1, 0, "image/jpeg", {1000, 600}},
                         Case{0, 300, "image/jpeg", {300, 180}}}) {
        ItemJob job{.sourcePath = dir_.path() / "tone.wav", .outputPath = dir_.path() / "out.m4a",
                    .settings = {OutputFormat::M4a, M4aOptions{}}, .artwork = {artwork::ArtworkFormat(c.format), c.maxSide}};
        job.replacementTags = TagSet{{{"TITLE", "t"}}, big};
        ASSERT_TRUE(ItemConverter::run(job, nullptr, nullptr).status.isOk());
        const TagSet written = TagReader::read(job.outputPath);
        EXPECT_EQ(written.artwork.mimeType, c.mime);
        EXPECT_EQ(pictureSize(written.artwork), c.size);
        if (c.format == 1) {
            EXPECT_EQ(written.artwork.data, big.data) << "already a JPEG of an allowed size: left alone";
        }
    }
}

TEST_F(ItemTagChoiceTest, ABrokenPictureIsKeptAsItWasAndSaidSo)
{
    test::writeToneWav(dir_.path() / "tone.wav", {.seconds = 0.5});
    ItemJob job{.sourcePath = dir_.path() / "tone.wav", .outputPath = dir_.path() / "out.mp3",
                .settings = {OutputFormat::Mp3, Mp3Options{}}, .artwork = {artwork::ArtworkFormat::Png}};
    job.replacementTags = TagSet{{{"TITLE", "t"}}, {{'\xFF', '\xD8', 'x', 'y', 'z'}, "image/jpeg"}};
    const ItemOutcome outcome = ItemConverter::run(job, nullptr, nullptr);
    ASSERT_TRUE(outcome.status.isOk()) << outcome.status.message();
    ASSERT_EQ(outcome.notes.size(), 1u);
    EXPECT_EQ(outcome.notes[0].rfind("artwork kept as it was", 0), 0u);
    EXPECT_EQ(TagReader::read(job.outputPath).artwork.data.size(), 5u);
}

TEST_F(ItemTagChoiceTest, AFailedItemLeavesNoOutputAndSaysWhy)
{
    test::writeRandomBytes(dir_.path() / "noise.mp3", 20000);
    ItemJob job{.sourcePath = dir_.path() / "noise.mp3", .outputPath = dir_.path() / "out.flac",
                .settings = {OutputFormat::Flac, FlacOptions{}}};
    const ItemOutcome outcome = ItemConverter::run(job, nullptr, nullptr);
    EXPECT_FALSE(outcome.status.isOk());
    EXPECT_FALSE(outcome.status.message().empty());
    EXPECT_FALSE(fs::exists(job.outputPath));
}

TEST_F(ItemTagChoiceTest, JobsAndOutcomesCrossTheServiceBoundaryIntact)
{
    ItemJob job{.sourcePath = "/a/b.flac", .outputPath = "/c/.d.tmp",
                .settings = {OutputFormat::M4a, M4aOptions{.codec = 43, .sampleSize = 3, .extension = 1}},
                .span = SourceSpan{75, 150},
                .effects = {.normalization = effects::NormalizationMethod::Loudness, .loudnessTargetLufs = -16,
                            .automaticVolumeControl = true, .fadeInMs = 100, .fadeOutMs = 200,
                            .durationLimitMs = 3000, .trimSilence = true, .silenceThresholdDbfs = -45},
                .stripTags = true,
                .tagsFromPath = {"/a/b.flac", "/", "{{artist}}", "{{title}}"},
                .artwork = {artwork::ArtworkFormat::Jpeg, 500},
                .trackTags = {{{"TITLE", "Track"}}, {}},
                .lookedUpTags = {{{"ALBUM", "Found"}}, {}}};
    job.replacementTags = fullTags();
    ItemJob back;
    ASSERT_TRUE(ItemJob::fromJson(job.toJson(), back).isOk());
    EXPECT_EQ(back.toJson(), job.toJson());
    ASSERT_TRUE(back.span && back.span->endFrame);
    EXPECT_EQ(*back.span->endFrame, 150);
    ItemOutcome outcome{.durationMs = 1234}, outcomeBack;
    ASSERT_TRUE(ItemOutcome::fromJson(outcome.toJson(), outcomeBack).isOk());
    EXPECT_EQ(outcomeBack.durationMs, 1234);
    EXPECT_FALSE(ItemJob::fromJson("{\"source\": 3}", back).isOk());
    EXPECT_FALSE(ItemJob::fromJson("not json", back).isOk());
}

} // namespace
} // namespace sonvale::engine
