#include "platform/tqkit/TQKitNameFilter.h"
#include "platform/tqkit/TQKitPatternRenderer.h"
#include "platform/tqkit/TQKitUtf8.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

bool isWellFormedUtf8(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        const size_t length = TQKitUtf8SequenceLength(text.substr(i));
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::vector<std::string> levelsOf(const std::string& path)
{
    std::vector<std::string> levels;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        levels.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return levels;
}

TEST(TQKitPatternRendererTest, NamesFromTagsWithNumbersModifiersAndEmptyLevels)
{
    const TQKitTagValues tags = {{"artist", "Nora Vale"}, {"Album", "Northern Lights"},
                                 {"trackNumber", "3/12"}, {"title", "Morning Tide"}};
    struct Case {
        const char* pattern;
        bool folders;
        const char* expected;
    };
    const Case cases[] = {
        {"{{artist}}/{{album}}", true, "Nora Vale/Northern Lights"},
        {"{{artist}}/{{genre}}/{{album}}", true, "Nora Vale/Northern Lights"}, // no genre: no level
        {"{{tracknumber}} - {{title}}", false, "03 - Morning Tide"},
        {"{{trackNumber:3}} {{title}}", false, "003 Morning Tide"},
        {"{{trackNumber:1}} {{title}}", false, "3 Morning Tide"},
        {"{{artist}}/{{title}}", false, "Nora Vale-Morning Tide"}, // a file name has no levels
        {"{{artist}} - {{title}}{{spacing:underscores}}{{case:lower}}", false, "nora_vale_-_morning_tide"},
        {"{{genre}}", false, "Untitled"},
        {"{{genre}}", true, "Untitled"},
        {"", false, "Untitled"},
    };
    for (const Case& c : cases) {
        TQKitPatternRenderOptions options;
        options.folders = c.folders;
        EXPECT_EQ(TQKitPatternRenderPath(c.pattern, tags, options), c.expected) << c.pattern;
    }

    TQKitPatternRenderOptions folders;
    folders.folders = true;
    EXPECT_EQ(TQKitPatternRenderPath("{{artist}}/{{album}}", {{"artist", "AC/DC"}, {"album", ".."}}, folders),
              "AC-DC");

    TQKitPatternRenderOptions folderInDestination;
    folderInDestination.folders = true;
    folderInDestination.fallbackName = "";
    EXPECT_EQ(TQKitPatternRenderPath("{{genre}}", tags, folderInDestination), "");
    TQKitPatternRenderOptions fileWithoutFallback;
    fileWithoutFallback.fallbackName = "..";
    EXPECT_EQ(TQKitPatternRenderPath("{{genre}}", tags, fileWithoutFallback), "Untitled");
    TQKitPatternRenderOptions sourceName;
    sourceName.fallbackName = "track01";
    EXPECT_EQ(TQKitPatternRenderPath("{{genre}}", tags, sourceName), "track01");
}

TEST(TQKitPatternRendererTest, HostileTagValuesStayInsideTheDestination)
{
    sonvale::test::TempDir destination;
    const std::string longName(300, 'x');
    std::string longAccented;
    while (longAccented.size() < 600)
        longAccented += "é";
    const std::string hostile[] = {
        "../../etc",
        "a/b",
        std::string("\0", 1),
        std::string("evil\0/../../x", 13),
        "..",
        ".",
        "/",
        "/etc/passwd",
        ".hidden",
        "line\nbreak\ttab\x7F\xC2\x85",
        "\xFF\xFE bad bytes",
        longName,
        longAccented,
        "   ",
        "CON:*?\"<>|\\",
    };
    const char* patterns[] = {"{{artist}}/{{album}}", "{{artist}}", "{{album}}/../{{artist}}",
                              "../{{artist}}", "/{{artist}}/"};
    const std::string extension = ".m4a";
    int made = 0;
    for (const std::string& value : hostile) {
        for (const char* pattern : patterns) {
            for (const bool folders : {true, false}) {
                SCOPED_TRACE(std::string(pattern) + (folders ? " (folders)" : " (file)") + " value #" +
                             std::to_string(&value - hostile));
                TQKitPatternRenderOptions options;
                options.folders = folders;
                options.maxNameBytes = folders ? kTQKitNameMaxBytes : kTQKitNameMaxBytes - extension.size();
                const std::string path =
                    TQKitPatternRenderPath(pattern, {{"artist", value}, {"album", value}}, options);

                ASSERT_FALSE(path.empty());
                EXPECT_NE(path.front(), '/');
                EXPECT_TRUE(isWellFormedUtf8(path));
                for (const char c : path)
                    EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F);
                const std::vector<std::string> levels = levelsOf(path);
                if (!folders) {
                    EXPECT_EQ(levels.size(), 1u);
                }
                for (const std::string& level : levels) {
                    EXPECT_FALSE(level.empty());
                    EXPECT_NE(level.front(), '.');
                    EXPECT_LE(level.size(), options.maxNameBytes);
                }

                // The real file system agrees: the result lands inside the destination (a folder
                // pattern names the folder the result file goes into).
                const fs::path result = folders ? destination.path() / path / ("result" + extension)
                                                : destination.path() / (path + extension);
                fs::create_directories(result.parent_path());
                std::ofstream(result) << "audio";
                ASSERT_TRUE(fs::exists(result)) << path;
                const fs::path canonical = fs::canonical(result);
                const fs::path root = fs::canonical(destination.path());
                EXPECT_EQ(canonical.string().rfind(root.string() + "/", 0), 0u) << canonical;
                ++made;
            }
        }
    }
    EXPECT_EQ(made, 150);
}

TEST(TQKitPatternRendererTest, NameFilterMakesOneSafeName)
{
    struct Case {
        std::string in;
        size_t maxBytes;
        std::string out;
    };
    std::string accented;
    while (accented.size() < 300)
        accented += "é";
    const Case cases[] = {
        {"AC/DC", 0, "AC-DC"},
        {"  ..name.. ", 0, "name"},
        {"..", 0, ""},
        {"What? Yes: \"now\"", 0, "What_ Yes_ _now_"},
        {std::string("a\0b", 3), 0, "a b"},
        {"tab\there", 0, "tab here"},
        {"Café", 0, "Café"},
        {"\xC3", 0, "_"},
        {accented, 0, accented.substr(0, 254)},   // cut before a split "é"
        {"abcdef", 3, "abc"},
        {"ab cdef", 3, "ab"},                       // no trailing blank after the cut
    };
    for (const Case& c : cases)
        EXPECT_EQ(TQKitNameFilter(c.in, 0, c.maxBytes), c.out) << c.in;
}

} // namespace
