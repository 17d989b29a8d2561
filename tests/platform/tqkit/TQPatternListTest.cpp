#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQPatternList.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace {

class TQPatternListTest : public ::testing::Test {
protected:
    sonvale::test::TempHome home_;
};

TEST_F(TQPatternListTest, StoredTextSplitsIntoDistinctTrimmedLines)
{
    struct Case {
        std::string text;
        std::optional<TQPatternList> list;
    };
    const Case cases[] = {
        {"{{artist}}\r\n\r\n\r\n  {{ARTIST}}  \r\n{{album}}", TQPatternList{"{{artist}}", "", "{{album}}"}},
        {"\n{{title}}\n", TQPatternList{"", "{{title}}"}},
        {"{{title}}\r{{album}}\n", TQPatternList{"{{title}}", "{{album}}"}},
        {"{{title}}\n\n", TQPatternList{"{{title}}", ""}},
        {std::string("{{title}}\n\0{{album}}\n", 21), TQPatternList{"{{title}}"}},
        {"", std::nullopt},
        {"\n\n", TQPatternList{""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TQPatternListSplit(c.text), c.list) << c.text;
}

TEST_F(TQPatternListTest, BuiltInListsStandInWhenNothingIsStored)
{
    struct Case {
        uint32_t flags;
        size_t rows;
        const char* first;
    };
    const Case cases[] = {
        {105, 8, "{{artist}} - {{album}} - {{title}}"},
        {0x1FF, 8, "{{artist}} - {{album}} - {{title}}"},
        {209, 4, "{{artist}}"},
        {0x1D1, 4, "{{artist}}"},
        {1, 6, "{{artist}} - {{album}} - {{title}}"},
        {0x169 & ~0x08u, 6, "{{artist}} - {{album}} - {{title}}"},
    };
    for (const Case& c : cases) {
        const std::optional<TQPatternList> list = TQPatternListDefaultsLoad("TQCSetting", "List", true, c.flags);
        ASSERT_TRUE(list) << c.flags;
        EXPECT_EQ(list->size(), c.rows) << c.flags;
        EXPECT_EQ(list->front(), c.first) << c.flags;
    }
    const std::optional<TQPatternList> extended = TQPatternListDefaultsLoad("TQCSetting", "List", true, 105);
    EXPECT_EQ(extended->back(), "{{initialKey}} - {{tempo}} - {{title}}");
    EXPECT_EQ(TQPatternListDefaultsLoad("TQCSetting", "List", false, 105), std::nullopt);
    EXPECT_EQ(TQPatternListDefaultsLoad("", "List", true, 105), std::nullopt);
    EXPECT_EQ(TQPatternListDefaultsLoad("TQCSetting", "", true, 105), std::nullopt);
}

TEST_F(TQPatternListTest, SaveStoresPatternsWithTheirBreaksAndANulByte)
{
    TQPatternListSave("TQCSetting", "DestDirFormatList", {"{{title}}", "", "{{artist}}"});
    const std::vector<uint8_t> stored = TQKitSettingReadData("TQCSetting", "DestDirFormatList");
    const std::string expected("{{title}}\n{{artist}}\n", 22);
    ASSERT_EQ(stored.size(), 22u);
    EXPECT_EQ(std::string(stored.begin(), stored.end()), expected);

    TQPatternListSave("TQCSetting", "DestDirFormatList", {});
    TQPatternListSave("TQCSetting", "DestDirFormatList", {"", ""});
    TQPatternListSave("", "DestDirFormatList", {"{{genre}}"});
    EXPECT_EQ(TQPatternListDefaultsLoad("TQCSetting", "DestDirFormatList", true, 209),
              (TQPatternList{"{{title}}", "{{artist}}"}));

    TQPatternListClear("TQCSetting", "DestDirFormatList");
    EXPECT_EQ(TQPatternListDefaultsLoad("TQCSetting", "DestDirFormatList", false, 209), std::nullopt);
    EXPECT_EQ(TQPatternListDefaultsLoad("TQCSetting", "DestDirFormatList", true, 209)->size(), 4u);
}

} // namespace
