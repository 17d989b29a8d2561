#include "platform/engine/lists/SourcePlaylistReader.h"
#include "platform/system/AtomicFile.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using namespace sonvale;
using namespace sonvale::lists;
using State = PlaylistEntry::State;

namespace {

class SourcePlaylistReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir_.path() / "music" / "sub");
        for (const char* name : {"one.flac", "sub/two words.mp3", "Ünïcödé.wav"})
            ASSERT_TRUE(writeFileAtomically(dir_.path() / "music" / name, "audio"));
    }

    std::filesystem::path write(const std::string& name, std::string_view bytes)
    {
        const auto path = dir_.path() / "music" / name;
        EXPECT_TRUE(writeFileAtomically(path, bytes, 0644));
        return path;
    }

    std::filesystem::path music(const std::string& name) const { return dir_.path() / "music" / name; }

    std::string fileUrl(const std::string& name) const
    {
        // "Ünïcödé.wav" and "two words" escaped as a URL would be.
        std::string url = "file://";
        for (const unsigned char c : music(name).string()) {
            if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_') {
                url.push_back(static_cast<char>(c));
            } else {
                char escaped[4];
                std::snprintf(escaped, sizeof escaped, "%%%02X", c);
                url += escaped;
            }
        }
        return url;
    }

    test::TempDir dir_;
    SourcePlaylistReader reader_;
};

struct Expected {
    State state;
    std::string pathOrUrl; // relative to the music folder for local files
    std::string title;
};

TEST_F(SourcePlaylistReaderTest, ReadsEveryKindWithItsItemsResolved)
{
    const std::string unicodeUrl = fileUrl("Ünïcödé.wav");
    const std::vector<Expected> standard{
        {State::Found, "one.flac", "One"},
        {State::Found, "sub/two words.mp3", "Two"},
        {State::Found, "Ünïcödé.wav", ""},
        {State::Remote, "https://radio.example/stream.mp3", ""},
        {State::Missing, "gone.ogg", ""},
    };
    struct Case {
        const char* file;
        std::string text;
        std::vector<Expected> expected;
    };
    const std::vector<Case> cases{
        {"list.m3u8",
         "#EXTM3U\n#EXTINF:215,One\none.flac\r\n#EXTINF:-1 tvg=\"a,b\",Two\nsub/two words.mp3\n" +
             unicodeUrl + "\n# a comment\nhttps://radio.example/stream.mp3\n\n  gone.ogg  \n",
         standard},
        {"list.pls",
         "[playlist]\nFile1=one.flac\nTitle1=One\nLength1=215\nFile3=" + unicodeUrl +
             "\nFile2=sub/two words.mp3\nTitle2=Two\nFile4=https://radio.example/stream.mp3\n"
             "File5=gone.ogg\nNumberOfEntries=5\nVersion=2\n",
         standard},
        {"list.xspf",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>"
         "<track><location>one.flac</location><title>One</title><duration>215000</duration></track>"
         "<track><location>sub/two%20words.mp3</location><title>Two</title></track>"
         "<track><location>" + unicodeUrl + "</location></track>"
         "<track><location>https://radio.example/stream.mp3</location></track>"
         "<track><location>gone.ogg</location></track>"
         "</trackList></playlist>",
         standard},
        {"list.wpl",
         "<?wpl version=\"1.0\"?>\n<smil><head><title>x</title></head><body><seq>"
         "<media src=\"one.flac\"/><media src=\"sub\\two words.mp3\"/>"
         "<media src=\"" + unicodeUrl + "\"/><media src=\"https://radio.example/stream.mp3\"/>"
         "<media src=\"gone.ogg\"/></seq></body></smil>",
         {{State::Found, "one.flac", ""},
          {State::Found, "sub/two words.mp3", ""},
          {State::Found, "Ünïcödé.wav", ""},
          {State::Remote, "https://radio.example/stream.mp3", ""},
          {State::Missing, "gone.ogg", ""}}},
        {"list.asx",
         "<ASX version=\"3.0\"><Entry><Title>One</Title><Ref HREF=\"one.flac\"/></Entry>"
         "<entry><title>Two</title><ref href=\"sub/two%20words.mp3\"/></entry>"
         "<ENTRY><REF HREF=\"" + unicodeUrl + "\"/></ENTRY>"
         "<entry><ref href=\"https://radio.example/stream.mp3\"/></entry>"
         "<entry><ref href=\"gone.ogg\"/></entry></ASX>",
         standard},
        {"list.ram", "one.flac\n# comment\nhttps://radio.example/stream.mp3\n--stop--\nlater.mp3\n",
         {{State::Found, "one.flac", ""}, {State::Remote, "https://radio.example/stream.mp3", ""}}},
        {"link.url", "[InternetShortcut]\r\nURL=https://radio.example/stream.mp3\r\n",
         {{State::Remote, "https://radio.example/stream.mp3", ""}}},
        {"link.desktop",
         "[Desktop Entry]\nType=Link\nName=Radio\nURL=https://radio.example/stream.mp3\n",
         {{State::Remote, "https://radio.example/stream.mp3", "Radio"}}},
        {"link.webloc",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>URL</key><string>" + unicodeUrl + "</string></dict></plist>",
         {{State::Found, "Ünïcödé.wav", ""}}},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        SourcePlaylist list;
        const Status status = reader_.readFile(write(c.file, c.text), list);
        ASSERT_TRUE(status) << status.message();
        ASSERT_EQ(list.entries.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            const PlaylistEntry& entry = list.entries[i];
            const Expected& expected = c.expected[i];
            EXPECT_EQ(entry.state, expected.state) << "item " << i << ": " << entry.problem;
            if (expected.state == State::Remote)
                EXPECT_EQ(entry.url, expected.pathOrUrl) << "item " << i;
            else
                EXPECT_EQ(entry.path, music(expected.pathOrUrl)) << "item " << i;
            EXPECT_EQ(entry.title, expected.title) << "item " << i;
        }
        const std::string file = c.file;
        if (file == "list.m3u8" || file == "list.pls" || file == "list.xspf") {
            EXPECT_EQ(list.entries[0].durationMs, 215'000);
        }
    }
}

TEST_F(SourcePlaylistReaderTest, MissingAndUnusableItemsAreReportedOneByOne)
{
    SourcePlaylist list;
    ASSERT_TRUE(reader_.readFile(write("odd.m3u",
                                       "gone.flac\nftp://host/a.mp3\nC:\\Music\\a.mp3\n"
                                       "file://otherhost/x.flac\n" +
                                           std::string(9000, 'x') + "\none.flac\n"),
                                 list));
    ASSERT_EQ(list.entries.size(), 6u);
    EXPECT_EQ(list.entries[0].state, State::Missing);
    EXPECT_NE(list.entries[0].problem.find("gone.flac"), std::string::npos);
    for (size_t i = 1; i < 5; ++i) {
        EXPECT_EQ(list.entries[i].state, State::Unsupported) << i;
        EXPECT_FALSE(list.entries[i].problem.empty()) << i;
    }
    EXPECT_EQ(list.entries[5].state, State::Found);
}

TEST_F(SourcePlaylistReaderTest, LegacyCharacterSetOfAnM3uIsDecoded)
{
    std::filesystem::path latin1Name = music("Caf\xC3\xA9.mp3");
    ASSERT_TRUE(writeFileAtomically(latin1Name, "audio"));
    SourcePlaylist list;
    ASSERT_TRUE(reader_.readFile(write("old.m3u", "#EXTINF:10,Caf\xE9\nCaf\xE9.mp3\n"), list));
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.entries[0].state, State::Found);
    EXPECT_EQ(list.entries[0].title, "Caf\xC3\xA9");
}

TEST_F(SourcePlaylistReaderTest, HostileInputGivesErrorsNotCrashes)
{
    std::string deep = "<?xml version=\"1.0\"?><playlist><trackList>";
    for (int i = 0; i < 100'000; ++i)
        deep += "<a>";
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE playlist [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>"
        "<playlist><trackList><track><location>&e;&e;&e;&e;</location></track></trackList></playlist>";
    std::string manyEntries;
    for (size_t i = 0; i <= kMaxPlaylistEntries; ++i)
        manyEntries += "a\n";
    std::string binary(4096, '\0');
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 7);

    // Lists that cannot be read are errors; lists that can are read as far as they are sound.
    struct Case {
        const char* file;
        std::string bytes;
        bool readable;
        size_t entries;
    };
    const Case cases[] = {
        {"binary.m3u", binary, false, 0},
        {"binary.xspf", binary, false, 0},
        {"deep.xspf", deep, true, 0},
        {"many.m3u", manyEntries, false, 0},
        {"many.pls", "[playlist]\nFile99999999999999999999=a\nFile4294967296=b\n", true, 1},
        {"nopls.pls", "File1=a.flac\n", false, 0},
        {"notxml.wpl", "this is not xml", false, 0},
        {"wrongroot.asx", "<html><body/></html>", false, 0},
        {"noaddress.url", "[InternetShortcut]\nIconIndex=0\n", false, 0},
        {"app.desktop", "[Desktop Entry]\nType=Application\nExec=rm -rf /\n", false, 0},
        {"binary.webloc", "bplist00\x01\x02", false, 0},
        {"huge-line.m3u", std::string(3 << 20, 'y'), true, 1},
    };
    for (const Case& c : cases) {
        SourcePlaylist list;
        const Status status = reader_.readFile(write(c.file, c.bytes), list);
        EXPECT_EQ(status.isOk(), c.readable) << c.file << ": " << status.message();
        if (status)
            EXPECT_EQ(list.entries.size(), c.entries) << c.file;
        else
            EXPECT_NE(status.message().find(c.file), std::string::npos) << status.message();
    }

    // The entity bomb is never expanded: at most the literal text reaches the item.
    SourcePlaylist list;
    if (reader_.readFile(write("laughs.xspf", laughs), list)) {
        for (const PlaylistEntry& entry : list.entries)
            EXPECT_LT(entry.location.size(), 1000u);
    }
    // A list too large to read is refused before it is read.
    const auto big = write("big.m3u", "");
    std::filesystem::resize_file(big, SourcePlaylistReader::kMaxListBytes + 1);
    EXPECT_FALSE(reader_.readFile(big, list));
    EXPECT_FALSE(reader_.readFile(music("absent.m3u"), list));
    EXPECT_FALSE(reader_.readFile(music("one.flac"), list));
}

} // namespace
