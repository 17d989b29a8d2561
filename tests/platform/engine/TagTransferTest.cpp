// Tags as other taggers write them, in every source format, carried to each result format and read
// back with TagLib in the result's own terms: totals, MusicBrainz ids under the names taggers use,
// the cover (with its size in a FLAC picture block), and nothing that describes the source file.

#include <gtest/gtest.h>

#include <taglib/aifffile.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include <functional>

#include "platform/engine/AudioEncoder.h"
#include "platform/engine/ItemConverter.h"
#include "platform/engine/TagReader.h"
#include "platform/engine/Transcoder.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/support/TempHome.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;

const char* const kAlbumId = "f1c5a1d4-0b1e-4a35-9c34-3b1c2a1a7e11";
const char* const kReleaseTrackId = "0c9a6a35-6f52-4c2b-a3ab-1b4c0f0d2d22";

// A PNG header of a 16 x 8 RGB picture: all a tag and a picture block need to know of it.
TagLib::ByteVector cover()
{
    const unsigned char png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                 0, 0, 0, 16, 0, 0, 0, 8, 8, 2, 0, 0, 0, 0x12, 0x34, 0x56, 0x78};
    return TagLib::ByteVector(reinterpret_cast<const char*>(png), sizeof png);
}

TagLib::FLAC::Picture* flacCover()
{
    auto* picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType("image/png");
    picture->setData(cover());
    return picture;
}

void tagXiph(TagLib::Ogg::XiphComment& c)
{
    c.addField("TITLE", "Largo");
    c.addField("TRACKNUMBER", "3");
    c.addField("TRACKTOTAL", "12");
    c.addField("DISCNUMBER", "1");
    c.addField("DISCTOTAL", "2");
    c.addField("MUSICBRAINZ_ALBUMID", kAlbumId);
    c.addField("MUSICBRAINZ_RELEASETRACKID", kReleaseTrackId);
    c.addField("ENCODER", "Some Encoder 1.0");
}

void tagId3(TagLib::ID3v2::Tag& tag)
{
    using namespace TagLib::ID3v2;
    tag.setTitle("Largo");
    for (const auto& [id, text] : {std::pair{"TRCK", "3/12"}, std::pair{"TPOS", "1/2"}, std::pair{"TSSE", "Some Encoder 1.0"}}) {
        auto* frame = new TextIdentificationFrame(id, TagLib::String::UTF8);
        frame->setText(text);
        tag.addFrame(frame);
    }
    tag.addFrame(new UserTextIdentificationFrame("MusicBrainz Album Id", TagLib::StringList(kAlbumId)));
    tag.addFrame(new UserTextIdentificationFrame("MusicBrainz Release Track Id", TagLib::StringList(kReleaseTrackId)));
    auto* picture = new AttachedPictureFrame;
    picture->setType(AttachedPictureFrame::FrontCover);
    picture->setMimeType("image/png");
    picture->setPicture(cover());
    tag.addFrame(picture);
}

// How each source format is made: its audio, then its tags as taggers write them.
struct SourceKind {
    const char* name;
    std::function<void(const fs::path& tone, const fs::path& to)> make;
};

void transcode(const fs::path& from, const fs::path& to, const OutputSettings& settings)
{
    Transcoder transcoder(nullptr, nullptr);
    ASSERT_TRUE(transcoder.run(from, to, settings).isOk());
}

// Formats the engine doesn't write, through its FFmpeg encoder all the same.
void encodeWith(const fs::path& to, const char* muxer, AVCodecID codec, int bits)
{
    EncoderPlan plan;
    plan.muxer = muxer;
    plan.codec = codec;
    plan.sampleRate = 48000;
    plan.bitsPerSample = bits;
    const std::vector<double> samples = test::toneSamples({.seconds = 1, .sampleRate = 48000});
    const auto encoder = AudioEncoder::forPlan(plan);
    ASSERT_TRUE(encoder->open(to).isOk());
    ASSERT_TRUE(encoder->write(samples.data(), int(samples.size() / 2)).isOk());
    ASSERT_TRUE(encoder->finish().isOk());
}

const SourceKind kSources[] = {
    {"flac", [](const fs::path& tone, const fs::path& to) {
         transcode(tone, to, {OutputFormat::Flac, FlacOptions{}});
         TagLib::FLAC::File file(to.c_str());
         tagXiph(*file.xiphComment(true));
         file.addPicture(flacCover());
         file.save();
     }},
    {"ogg", [](const fs::path&, const fs::path& to) {
         encodeWith(to, "ogg", AV_CODEC_ID_VORBIS, 0);
         TagLib::Ogg::Vorbis::File file(to.c_str());
         tagXiph(*file.tag());
         file.tag()->addPicture(flacCover());
         file.save();
     }},
    {"opus", [](const fs::path&, const fs::path& to) {
         encodeWith(to, "opus", AV_CODEC_ID_OPUS, 0);
         TagLib::Ogg::Opus::File file(to.c_str());
         tagXiph(*file.tag());
         file.tag()->addPicture(flacCover());
         file.save();
     }},
    {"wavpack", [](const fs::path&, const fs::path& to) {
         encodeWith(to, "wv", AV_CODEC_ID_WAVPACK, 16);
         TagLib::WavPack::File file(to.c_str());
         TagLib::APE::Tag* tag = file.APETag(true);
         tag->addValue("Title", "Largo");
         tag->addValue("Track", "3/12");
         tag->addValue("Disc", "1/2");
         tag->addValue("MUSICBRAINZ_ALBUMID", kAlbumId);
         tag->addValue("MUSICBRAINZ_RELEASETRACKID", kReleaseTrackId);
         tag->setData("Cover Art (Front)", TagLib::ByteVector("cover.png", 10) + cover());
         file.save();
     }},
    {"mp3", [](const fs::path& tone, const fs::path& to) {
         transcode(tone, to, {OutputFormat::Mp3, Mp3Options{}});
         TagLib::MPEG::File file(to.c_str());
         tagId3(*file.ID3v2Tag(true));
         file.save();
     }},
    {"m4a", [](const fs::path& tone, const fs::path& to) {
         transcode(tone, to, {OutputFormat::M4a, M4aOptions{.bitRate = 128}});
         TagLib::MP4::File file(to.c_str());
         TagLib::MP4::Tag* tag = file.tag();
         tag->setTitle("Largo");
         tag->setItem("trkn", TagLib::MP4::Item(3, 12));
         tag->setItem("disk", TagLib::MP4::Item(1, 2));
         tag->setItem("\251too", TagLib::StringList("Some Encoder 1.0"));
         tag->setItem("----:com.apple.iTunes:MusicBrainz Album Id", TagLib::StringList(kAlbumId));
         tag->setItem("----:com.apple.iTunes:MusicBrainz Release Track Id", TagLib::StringList(kReleaseTrackId));
         TagLib::MP4::CoverArtList covers;
         covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::PNG, cover()));
         tag->setItem("covr", covers);
         file.save();
     }},
    {"wav", [](const fs::path& tone, const fs::path& to) {
         fs::copy_file(tone, to);
         TagLib::RIFF::WAV::File file(to.c_str());
         tagId3(*file.ID3v2Tag());
         file.save();
     }},
    {"aiff", [](const fs::path& tone, const fs::path& to) {
         transcode(tone, to, {OutputFormat::Aiff, PcmOptions{}});
         TagLib::RIFF::AIFF::File file(to.c_str());
         tagId3(*file.tag());
         file.save();
     }},
};

void PrintTo(const SourceKind& s, std::ostream* os) { *os << s.name; }

std::string text(const TagLib::ID3v2::Tag& tag, const char* id)
{
    const auto& frames = tag.frameListMap()[id];
    return frames.isEmpty() ? "<none>" : frames.front()->toString().to8Bit(true);
}

std::string txxx(const TagLib::ID3v2::Tag& tag, const char* description)
{
    auto* frame = TagLib::ID3v2::UserTextIdentificationFrame::find(const_cast<TagLib::ID3v2::Tag*>(&tag), description);
    return frame && frame->fieldList().size() > 1 ? frame->fieldList()[1].to8Bit(true) : "<none>";
}

std::string xiph(TagLib::Ogg::XiphComment& c, const char* name)
{
    const auto& fields = c.fieldListMap();
    return fields.contains(name) ? fields[name].front().to8Bit(true) : "<none>";
}

class TagTransferTest : public ::testing::TestWithParam<SourceKind> {
protected:
    void SetUp() override
    {
        test::writeToneWav(dir_.path() / "tone.wav", {.seconds = 1});
        source_ = dir_.path() / (std::string("source.") + GetParam().name);
        GetParam().make(dir_.path() / "tone.wav", source_);
    }

    fs::path convert(const OutputSettings& settings, const char* extension)
    {
        ItemJob job;
        job.sourcePath = source_;
        job.outputPath = dir_.path() / (std::string("result.") + extension);
        job.settings = settings;
        const ItemOutcome outcome = ItemConverter::run(job, nullptr, nullptr);
        EXPECT_TRUE(outcome.status.isOk()) << outcome.status.message();
        return job.outputPath;
    }

    test::TempDir dir_;
    fs::path source_;
};

TEST_P(TagTransferTest, Id3ResultsCarryTotalsIdsAndCoverButNotTheSourcesEncoder)
{
    TagLib::MPEG::File file(convert({OutputFormat::Mp3, Mp3Options{.metadataFormat = 3}}, "mp3").c_str());
    const TagLib::ID3v2::Tag& tag = *file.ID3v2Tag();
    EXPECT_EQ(text(tag, "TRCK"), "3/12");
    EXPECT_EQ(text(tag, "TPOS"), "1/2");
    EXPECT_EQ(txxx(tag, "MusicBrainz Album Id"), kAlbumId);
    EXPECT_EQ(txxx(tag, "MusicBrainz Release Track Id"), kReleaseTrackId);
    EXPECT_EQ(text(tag, "TSSE"), "<none>");
    EXPECT_EQ(txxx(tag, "ENCODER"), "<none>");
    EXPECT_FALSE(tag.frameListMap()["APIC"].isEmpty());
}

TEST_P(TagTransferTest, Mp4ResultsCarryTotalsIdsAndCoverButNotTheSourcesEncoder)
{
    TagLib::MP4::File file(convert({OutputFormat::M4a, M4aOptions{.bitRate = 128}}, "m4a").c_str());
    const TagLib::MP4::Tag& tag = *file.tag();
    ASSERT_TRUE(tag.contains("trkn"));
    EXPECT_EQ(tag.item("trkn").toIntPair().first, 3);
    EXPECT_EQ(tag.item("trkn").toIntPair().second, 12);
    ASSERT_TRUE(tag.contains("disk"));
    EXPECT_EQ(tag.item("disk").toIntPair().second, 2);
    for (const auto& [name, id] : {std::pair{"MusicBrainz Album Id", kAlbumId}, std::pair{"MusicBrainz Release Track Id", kReleaseTrackId}}) {
        const std::string key = std::string("----:com.apple.iTunes:") + name;
        ASSERT_TRUE(tag.contains(key)) << key;
        EXPECT_EQ(tag.item(key).toStringList().front().to8Bit(true), id);
    }
    EXPECT_FALSE(tag.contains("\251too"));
    EXPECT_TRUE(tag.contains("covr"));
}

TEST_P(TagTransferTest, FlacResultsCarryTotalsIdsAndASizedCover)
{
    TagLib::FLAC::File file(convert({OutputFormat::Flac, FlacOptions{}}, "flac").c_str());
    TagLib::Ogg::XiphComment& c = *file.xiphComment();
    EXPECT_EQ(xiph(c, "TRACKNUMBER"), "3");
    EXPECT_EQ(xiph(c, "TRACKTOTAL"), "12");
    EXPECT_EQ(xiph(c, "DISCNUMBER"), "1");
    EXPECT_EQ(xiph(c, "DISCTOTAL"), "2");
    EXPECT_EQ(xiph(c, "MUSICBRAINZ_ALBUMID"), kAlbumId);
    EXPECT_EQ(xiph(c, "MUSICBRAINZ_RELEASETRACKID"), kReleaseTrackId);
    EXPECT_EQ(xiph(c, "ENCODER"), "<none>");
    ASSERT_EQ(file.pictureList().size(), 1u);
    const TagLib::FLAC::Picture& picture = *file.pictureList().front();
    EXPECT_EQ(picture.data(), cover());
    EXPECT_EQ(picture.width(), 16);
    EXPECT_EQ(picture.height(), 8);
    EXPECT_EQ(picture.colorDepth(), 24);
}

INSTANTIATE_TEST_SUITE_P(EverySource, TagTransferTest, ::testing::ValuesIn(kSources),
                         [](const auto& info) { return std::string(info.param.name); });

class TagChangeTest : public ::testing::Test {
protected:
    test::TempDir dir_;
};

// Loudness tags describe the source's level: once the conversion changes it, players would lower
// the result twice.
TEST_F(TagChangeTest, ReplayGainStaysOnlyWhileTheLevelDoes)
{
    const fs::path source = dir_.path() / "source.flac";
    test::writeToneWav(dir_.path() / "tone.wav", {.seconds = 2});
    transcode(dir_.path() / "tone.wav", source, {OutputFormat::Flac, FlacOptions{}});
    {
        TagLib::FLAC::File file(source.c_str());
        file.xiphComment(true)->addField("REPLAYGAIN_TRACK_GAIN", "-6.20 dB");
        file.xiphComment(true)->addField("REPLAYGAIN_TRACK_PEAK", "0.5");
        file.save();
    }
    struct Case {
        const char* name;
        effects::EffectsSettings effects;
        uint8_t channels;
        bool kept;
    };
    const Case cases[] = {
        {"unchanged", {}, 0, true},
        {"loudness normalized", {.normalization = effects::NormalizationMethod::Loudness}, 0, false},
        {"mixed to mono", {}, 1, false},
    };
    for (const Case& c : cases) {
        ItemJob job;
        job.sourcePath = source;
        job.outputPath = dir_.path() / (std::string(c.name) + ".flac");
        job.settings = {OutputFormat::Flac, FlacOptions{.channels = c.channels}};
        job.effects = c.effects;
        ASSERT_TRUE(ItemConverter::run(job, nullptr, nullptr).status.isOk()) << c.name;
        const TagSet written = TagReader::read(job.outputPath);
        EXPECT_EQ(!written.value("REPLAYGAIN_TRACK_GAIN").empty(), c.kept) << c.name;
        EXPECT_EQ(!written.value("REPLAYGAIN_TRACK_PEAK").empty(), c.kept) << c.name;
    }
}

// ID3v1 holds Latin-1 only; a title beyond it keeps its closest form instead of vanishing.
TEST_F(TagChangeTest, Id3v1TitlesKeepTheirClosestLatin1Form)
{
    test::writeToneWav(dir_.path() / "tone.wav", {.seconds = 0.5});
    ItemJob job;
    job.sourcePath = dir_.path() / "tone.wav";
    job.outputPath = dir_.path() / "v1.mp3";
    job.settings = {OutputFormat::Mp3, Mp3Options{.metadataFormat = 2}};
    job.replacementTags = TagSet{{{"TITLE", "Dvořák – “Largo”"}, {"ARTIST", "Łukasz Ĳssel"}}, {}};
    ASSERT_TRUE(ItemConverter::run(job, nullptr, nullptr).status.isOk());
    TagLib::MPEG::File file(job.outputPath.c_str());
    ASSERT_TRUE(file.ID3v1Tag());
    EXPECT_EQ(file.ID3v1Tag()->title().to8Bit(true), "Dvorák - \"Largo\"");
    EXPECT_EQ(file.ID3v1Tag()->artist().to8Bit(true), "Lukasz IJssel");
    EXPECT_EQ(file.ID3v2Tag()->title().to8Bit(true), "Dvořák – “Largo”") << "ID3v2 keeps the text as it is";
}

} // namespace
} // namespace sonvale::engine
