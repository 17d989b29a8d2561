#include "platform/tqkit/TQKitPathTags.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* path;
    TQKitTagValues expected;
};

void expectReadings(const Case* begin, const Case* end, std::string_view baseFolder,
                    const TQKitPathTagsPatterns& patterns = {})
{
    for (const Case* c = begin; c != end; ++c)
        EXPECT_EQ(TQKitPathTagsRead(c->path, baseFolder, patterns), c->expected) << c->path;
}

} // namespace

TEST(TQKitPathTagsTest, ReadsTheUsualFileNames)
{
    const Case cases[] = {
        {"03 - Morning Tide.flac", {{"trackNumber", "3"}, {"title", "Morning Tide"}}},
        {"3. Morning Tide.mp3", {{"trackNumber", "3"}, {"title", "Morning Tide"}}},
        {"007 Morning Tide.m4a", {{"trackNumber", "7"}, {"title", "Morning Tide"}}},
        {"12-Morning Tide.wav", {{"trackNumber", "12"}, {"title", "Morning Tide"}}},
        {"Nora Vale - Morning Tide.flac", {{"artist", "Nora Vale"}, {"title", "Morning Tide"}}},
        {"Nora Vale - Morning Tide - Live.flac", {{"artist", "Nora Vale"}, {"title", "Morning Tide - Live"}}},
        {"Morning Tide.flac", {{"title", "Morning Tide"}}},
        {"Morning.Tide.flac", {{"title", "Morning.Tide"}}},
        {"  - .flac", {{"title", "-"}}},
        {"", {}},
    };
    expectReadings(std::begin(cases), std::end(cases), "");
}

TEST(TQKitPathTagsTest, ReadsFoldersBelowTheBaseOnly)
{
    const Case cases[] = {
        {"/music/Nora Vale/Northern Lights/03 - Morning Tide.flac",
         {{"artist", "Nora Vale"}, {"album", "Northern Lights"}, {"trackNumber", "3"}, {"title", "Morning Tide"}}},
        {"/music/Nora Vale/2024 - Northern Lights/Morning Tide.flac",
         {{"artist", "Nora Vale"}, {"year", "2024"}, {"album", "Northern Lights"}, {"title", "Morning Tide"}}},
        {"/music/Nora Vale - Northern Lights/Morning Tide.flac",
         {{"artist", "Nora Vale"}, {"album", "Northern Lights"}, {"title", "Morning Tide"}}},
        {"/music/Nora Vale/Northern Lights/CD2/01 Morning Tide.flac",
         {{"artist", "Nora Vale"}, {"album", "Northern Lights"}, {"discNumber", "2"}, {"trackNumber", "1"},
          {"title", "Morning Tide"}}},
        // The file name's artist stands; the folders add only what it lacks.
        {"/music/Someone/Northern Lights/Nora Vale - Morning Tide.flac",
         {{"artist", "Nora Vale"}, {"album", "Northern Lights"}, {"title", "Morning Tide"}}},
        // One level below the base is too little for "Artist/Album".
        {"/music/Northern Lights/Morning Tide.flac", {{"title", "Morning Tide"}}},
        {"/music/../Nora Vale/Northern Lights/Morning Tide.flac", {{"title", "Morning Tide"}}},
        {"/elsewhere/Nora Vale/Northern Lights/Morning Tide.flac",
         {{"artist", "Nora Vale"}, {"album", "Northern Lights"}, {"title", "Morning Tide"}}},
    };
    expectReadings(std::begin(cases), std::end(cases), "/music/");
}

TEST(TQKitPathTagsTest, ReadsTheUsersOwnPatternsBackwards)
{
    const TQKitPathTagsPatterns patterns{
        {"{{genre}}/{{albumArtist}}/{{album}}"},
        {"{{discNumber}}-{{trackNumber:3}} {{title}}", "{{artist}} - {{title}}{{spacing:underscores}}",
         "{{ARTIST}} - {{title}}"},
    };
    const Case cases[] = {
        {"/m/Ambient/Nora Vale/Northern Lights/1-005 Morning Tide.flac",
         {{"genre", "Ambient"}, {"albumArtist", "Nora Vale"}, {"album", "Northern Lights"}, {"discNumber", "1"},
          {"trackNumber", "5"}, {"title", "Morning Tide"}}},
        {"Nora_Vale_-_Morning_Tide.flac", {{"artist", "Nora Vale"}, {"title", "Morning Tide"}}},
        // A track number explains more of "01 - ..." than an artist called "01" would.
        {"01 - Morning Tide.flac", {{"trackNumber", "1"}, {"title", "Morning Tide"}}},
    };
    expectReadings(std::begin(cases), std::end(cases), "/m", patterns);
}

TEST(TQKitPathTagsTest, FillsOnlyTagsThatAreMissing)
{
    TQKitTagValues tags{{"Title", "Real Title"}, {"ARTIST", " "}, {"comment", "kept"}};

    const size_t added = TQKitPathTagsFill(tags, "/m/Nora Vale/Northern Lights/04 - Guessed Title.flac", "/m", {});

    EXPECT_EQ(added, 3u);
    const TQKitTagValues expected{{"Title", "Real Title"}, {"artist", "Nora Vale"}, {"album", "Northern Lights"},
                                  {"trackNumber", "4"}, {"comment", "kept"}};
    EXPECT_EQ(tags, expected);
    EXPECT_EQ(TQKitPathTagsFill(tags, "/m/Nora Vale/Northern Lights/04 - Guessed Title.flac", "/m", {}), 0u);
}

TEST(TQKitPathTagsTest, StaysWithinBoundsOnNamesBuiltToDefeatIt)
{
    std::string name;
    for (int i = 0; i < 80; ++i)
        name += "1 - ";
    const TQKitPathTagsPatterns patterns{
        {}, {"{{artist}} - {{album}} - {{title}} - {{genre}} - {{composer}} - {{comment}} - {{grouping}}"}};

    const TQKitTagValues tags = TQKitPathTagsRead(name + "x.flac", "", patterns);

    EXPECT_EQ(tags.at("artist"), "1");
    EXPECT_EQ(tags.at("grouping"), name.substr(6 * 4) + "x");
    EXPECT_EQ(TQKitPathTagsRead(std::string(5000, 'a') + ".flac", "", patterns), TQKitTagValues{});
}
