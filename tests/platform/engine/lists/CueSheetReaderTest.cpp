#include "platform/engine/lists/CueSheetReader.h"
#include "platform/system/AtomicFile.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <malloc.h>

using namespace sonvale;
using namespace sonvale::lists;

namespace {

constexpr std::string_view kThreeTracks =
    "REM GENRE Jazz\r\n"
    "REM DATE 1999\r\n"
    "REM DISCID 2A0B1C03\r\n"
    "REM COMMENT \"Ripped with care\"\r\n"
    "PERFORMER \"The Trio\"\r\n"
    "TITLE \"Night Sessions\"\r\n"
    "FILE \"album.flac\" WAVE\r\n"
    "  TRACK 01 AUDIO\r\n"
    "    TITLE \"Opening\"\r\n"
    "    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n"
    "    TITLE \"Second Thoughts\"\r\n"
    "    PERFORMER \"Guest Singer\"\r\n"
    "    SONGWRITER \"A. Writer\"\r\n"
    "    INDEX 00 02:58:00\r\n"
    "    INDEX 01 03:00:00\r\n"
    "  TRACK 03 AUDIO\r\n"
    "    TITLE \"Closing\"\r\n"
    "    INDEX 01 05:30:37\r\n";

class CueSheetReaderTest : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& name, std::string_view bytes)
    {
        const auto path = dir_.path() / name;
        EXPECT_TRUE(writeFileAtomically(path, bytes, 0644));
        return path;
    }

    test::TempDir dir_;
    CueSheetReader reader_;
};

TEST_F(CueSheetReaderTest, ReadsTracksAlbumFieldsAndExactSamplePositions)
{
    write("album.flac", "image");
    CueSheet sheet;
    const Status status = reader_.readFile(write("album.cue", kThreeTracks), sheet);
    ASSERT_TRUE(status) << status.message();

    EXPECT_EQ(sheet.album.title, "Night Sessions");
    EXPECT_EQ(sheet.album.performer, "The Trio");
    EXPECT_EQ(sheet.album.genre, "Jazz");
    EXPECT_EQ(sheet.album.date, "1999");
    EXPECT_EQ(sheet.album.discId, "2A0B1C03");
    EXPECT_EQ(sheet.album.comment, "Ripped with care");
    ASSERT_EQ(sheet.tracks.size(), 3u);
    EXPECT_EQ(sheet.imageFiles(), std::vector{dir_.path() / "album.flac"});

    const std::vector<std::string> titles{"Opening", "Second Thoughts", "Closing"};
    const std::vector<std::string> performers{"The Trio", "Guest Singer", "The Trio"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sheet.tracks[i].number, static_cast<int>(i) + 1);
        EXPECT_EQ(sheet.tracks[i].title, titles[i]);
        EXPECT_EQ(sheet.tracks[i].performer, performers[i]);
    }
    EXPECT_EQ(sheet.tracks[1].songwriter, "A. Writer");

    // 44.1 kHz is 588 samples a frame; the pause before track 2 (INDEX 00) ends track 1.
    const int64_t imageSamples = 20'000'000;
    const int64_t expectedStarts[] = {0, 13'500 * 588, 24'787 * 588};
    const int64_t expectedLengths[] = {13'500 * 588, (24'787 - 13'500) * 588,
                                       imageSamples - 24'787 * 588};
    for (size_t i = 0; i < 3; ++i) {
        int64_t start = -1, length = -1;
        ASSERT_TRUE(sheet.tracks[i].sampleRange(44'100, imageSamples, start, length));
        EXPECT_EQ(start, expectedStarts[i]) << "track " << i + 1;
        EXPECT_EQ(length, expectedLengths[i]) << "track " << i + 1;
    }
}

TEST_F(CueSheetReaderTest, TracksJoinedCoverTheWholeImageAtEveryRate)
{
    write("album.flac", "image");
    CueSheet sheet;
    ASSERT_TRUE(reader_.readFile(write("album.cue", kThreeTracks), sheet));
    for (const int rate : {8'000, 22'050, 32'000, 44'100, 48'000, 88'200, 96'000, 192'000}) {
        const int64_t imageSamples = int64_t{rate} * 400; // 6:40
        int64_t next = 0;
        for (const CueTrack& track : sheet.tracks) {
            int64_t start = -1, length = -1;
            ASSERT_TRUE(track.sampleRange(rate, imageSamples, start, length));
            EXPECT_EQ(start, next) << rate << " Hz, track " << track.number;
            next = start + length;
        }
        EXPECT_EQ(next, imageSamples) << rate << " Hz";
    }
}

TEST_F(CueSheetReaderTest, DetectsTheCharacterSetOfTheSheet)
{
    write("album.flac", "image");
    const std::string latin1 = "TITLE \"Caf\xE9 M\xFCller\"\nFILE \"album.flac\" WAVE\n"
                               "TRACK 01 AUDIO\nTITLE \"\xC9t\xE9\"\nINDEX 01 00:00:00\n";
    const std::string utf8 = "TITLE \"Café Müller\"\nFILE \"album.flac\" WAVE\n"
                             "TRACK 01 AUDIO\nTITLE \"Été\"\nINDEX 01 00:00:00\n";
    std::string utf16le = "\xFF\xFE";
    for (const char c : latin1) {
        utf16le.push_back(c);
        utf16le.push_back('\0');
    }
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"latin1", latin1},
        {"utf8", utf8},
        {"utf8-bom", "\xEF\xBB\xBF" + utf8},
        {"utf16le-bom", utf16le},
    };
    for (const Case& c : cases) {
        CueSheet sheet;
        const Status status = reader_.readFile(write(std::string(c.name) + ".cue", c.bytes), sheet);
        ASSERT_TRUE(status) << c.name << ": " << status.message();
        EXPECT_EQ(sheet.album.title, "Café Müller") << c.name;
        ASSERT_EQ(sheet.tracks.size(), 1u) << c.name;
        EXPECT_EQ(sheet.tracks[0].title, "Été") << c.name;
    }
}

TEST_F(CueSheetReaderTest, EmbeddedSheetBelongsToItsImage)
{
    const auto image = dir_.path() / "renamed image.flac";
    CueSheet sheet;
    ASSERT_TRUE(reader_.readEmbedded(kThreeTracks, image, sheet));
    ASSERT_EQ(sheet.tracks.size(), 3u);
    for (const CueTrack& track : sheet.tracks)
        EXPECT_EQ(track.imageFile, image);

    const std::string twoImages = "FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                  "FILE \"b.wav\" WAVE\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n";
    EXPECT_FALSE(reader_.readEmbedded(twoImages, image, sheet));
}

TEST_F(CueSheetReaderTest, EachImageOfASheetEndsItsLastTrack)
{
    write("side a.wav", "a");
    write("side b.wav", "b");
    const std::string text = "FILE \"side a.wav\" WAVE\n"
                             "TRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                             "TRACK 02 AUDIO\nINDEX 01 01:00:00\n"
                             "FILE \"side b.wav\" WAVE\n"
                             "TRACK 03 AUDIO\nINDEX 00 00:00:00\nINDEX 01 00:02:00\n";
    CueSheet sheet;
    const Status status = reader_.readFile(write("sides.cue", text), sheet);
    ASSERT_TRUE(status) << status.message();
    ASSERT_EQ(sheet.tracks.size(), 3u);
    EXPECT_EQ(sheet.imageFiles().size(), 2u);
    EXPECT_EQ(sheet.tracks[0].endFrame, 4'500);
    EXPECT_EQ(sheet.tracks[1].endFrame, std::nullopt);
    EXPECT_EQ(sheet.tracks[2].imageFile, dir_.path() / "side b.wav");
    EXPECT_EQ(sheet.tracks[2].startFrame, 0) << "the first track of an image keeps its pause";
    EXPECT_EQ(sheet.tracks[2].endFrame, std::nullopt);
}

TEST_F(CueSheetReaderTest, RefusesBrokenSheetsWithAClearError)
{
    write("album.flac", "image");
    struct Case {
        const char* name;
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"missing-image", "FILE \"gone.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
         "names the image \"gone.flac\", which does not exist"},
        {"no-tracks", "FILE \"album.flac\" WAVE\n", "malformed or lists no tracks"},
        {"not-a-sheet", "just some words\nand more\n", "malformed or lists no tracks"},
        {"binary", std::string("FILE \0\x01\x02", 8), "binary data"},
        {"no-index", "FILE \"album.flac\" WAVE\nTRACK 01 AUDIO\nTITLE \"x\"\n", "no INDEX 01"},
        {"backwards",
         "FILE \"album.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 01 02:00:00\n"
         "TRACK 02 AUDIO\nINDEX 01 01:00:00\n",
         "does not start after"},
        {"huge-line", "TITLE \"" + std::string(5000, 'x') + "\"\n", "too long"},
        {"index-past-99", "FILE \"album.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 500 00:00:00\n",
         "invalid index number"},
        {"index-overflow",
         "FILE \"album.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 4294967297 00:00:00\n",
         "invalid index number"},
    };
    for (const Case& c : cases) {
        CueSheet sheet;
        const Status status = reader_.readFile(write(std::string(c.name) + ".cue", c.text), sheet);
        ASSERT_FALSE(status) << c.name;
        EXPECT_NE(status.message().find(c.expected), std::string::npos)
            << c.name << ": " << status.message();
    }

    CueSheet sheet;
    const Status missing = reader_.readFile(dir_.path() / "absent.cue", sheet);
    EXPECT_FALSE(missing);
}

TEST_F(CueSheetReaderTest, ABrokenSheetDoesNotChangeHowTheNextOneReads)
{
    write("album.flac", "image");
    for (const char* broken : {"TITLE\n", "REM COMMENT", "REM REPLAYGAIN_ALBUM_GAIN\n",
                               "FILE \"x", "\"unterminated"}) {
        CueSheet sheet;
        EXPECT_FALSE(reader_.readBytes(broken, dir_.path(), sheet)) << broken;
        ASSERT_TRUE(reader_.readFile(write("album.cue", kThreeTracks), sheet)) << broken;
        EXPECT_EQ(sheet.album.genre, "Jazz") << "first line lost after " << broken;
        EXPECT_EQ(sheet.album.title, "Night Sessions") << broken;
    }
}

// libcue prints a line for every sheet it cannot parse and keeps the memory of the sheet.
TEST_F(CueSheetReaderTest, SheetsLibcueCannotParseLeaveNoTraceInThisProcess)
{
    const std::string broken = "FILE \"album.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK AUDIO AUDIO\n";
    CueSheet sheet;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(reader_.readBytes(broken, dir_.path(), sheet));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 100; ++i)
        (void)reader_.readBytes(broken, dir_.path(), sheet);
    // Each failed parse used to keep more than a kilobyte.
    EXPECT_LT(mallinfo2().uordblks, before + 32 * 1024);
}

TEST_F(CueSheetReaderTest, TrackBeyondTheImageIsAnError)
{
    write("album.flac", "image");
    CueSheet sheet;
    ASSERT_TRUE(reader_.readFile(write("album.cue", kThreeTracks), sheet));
    int64_t start = 0, length = 0;
    const Status status = sheet.tracks[2].sampleRange(44'100, 44'100 * 60, start, length);
    ASSERT_FALSE(status);
    EXPECT_NE(status.message().find("Track 3"), std::string::npos) << status.message();
}

} // namespace
