#include "app/pattern-editor/TQPatternMenu.h"

#include "platform/tqkit-ui/TQKitAttributedString.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQPatternList.h"
#include "tests/support/TempHome.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

class PatternMenuTest : public ::testing::Test {
protected:
    // A menu as a pattern pop-up has it: pattern items, a separator and an actions entry.
    void fill(const QStringList& patterns)
    {
        TQPatternMenuPopulate(&menu_, patterns, 105);
        menu_.addSeparator();
        menu_.addAction(u"Actions"_s);
    }
    QStringList storedList() const
    {
        const std::optional<TQPatternList> list = TQPatternListDefaultsLoad("TQCSetting", "RenameFilesFormatList", false, 105);
        QStringList patterns;
        for (const std::string& pattern : list.value_or(TQPatternList{}))
            patterns.append(QString::fromStdString(pattern));
        return patterns;
    }

    TempHome home_;
    QMenu menu_;
};

TEST_F(PatternMenuTest, KeysAreChipsBetweenPlainLiteralTextAndModifiersAreNamedAfterThem)
{
    const std::optional<TQKitAttributedString> title = TQPatternMenuAttributedTitle(&menu_, u"{{artist}} - {{title}}"_s, 105);
    ASSERT_TRUE(title);
    QStringList chips;
    for (const TQKitAttributedString::Run& run : title->runs) {
        if (run.background.isValid())
            chips.append(run.text);
    }
    EXPECT_EQ(chips, (QStringList{u" Artist "_s, u" Title "_s}));
    EXPECT_EQ(title->plainText(), u"  Artist   -   Title  "_s);

    const std::optional<TQKitAttributedString> lower =
        TQPatternMenuAttributedTitle(&menu_, u"{{title}}{{case:lower}}"_s, 105);
    ASSERT_TRUE(lower);
    EXPECT_TRUE(lower->plainText().endsWith(u" (lower case)"_s)) << lower->plainText().toStdString();

    EXPECT_FALSE(TQPatternMenuAttributedTitle(&menu_, QString(), 105));
}

TEST_F(PatternMenuTest, EmptyEntriesGiveNoItemAndNeverCutTheListShort)
{
    // A stored list with a blank line between its patterns.
    const std::string stored = "{{artist}}\n\n{{album}}\n";
    TQKitSettingWriteData("TQCSetting", "RenameFilesFormatList", stored.c_str(), stored.size() + 1);
    const std::optional<TQPatternList> list = TQPatternListDefaultsLoad("TQCSetting", "RenameFilesFormatList", true, 105);
    ASSERT_TRUE(list);
    QStringList patterns;
    for (const std::string& pattern : *list)
        patterns.append(QString::fromStdString(pattern));
    ASSERT_EQ(patterns, (QStringList{u"{{artist}}"_s, QString(), u"{{album}}"_s}));

    fill(patterns);
    EXPECT_EQ(TQPatternMenuPatterns(&menu_), (QStringList{u"{{artist}}"_s, u"{{album}}"_s}));
    TQPatternMenuCollect(&menu_, u"TQCSetting"_s, u"RenameFilesFormatList"_s);
    EXPECT_EQ(storedList(), (QStringList{u"{{artist}}"_s, u"{{album}}"_s}));
}

TEST_F(PatternMenuTest, FindPrefersTheExactPatternIgnoringCaseOverOneThatContainsIt)
{
    fill({u"{{artist}} - {{title}}"_s, u"{{artist}}"_s});
    EXPECT_EQ(TQPatternMenuFind(&menu_, u"{{ARTIST}}"_s), 1);
    EXPECT_EQ(TQPatternMenuFind(&menu_, u" - {{TITLE"_s), 0);
    EXPECT_EQ(TQPatternMenuFind(&menu_, u"{{album}}"_s), -1);
    EXPECT_EQ(TQPatternMenuFindExact(&menu_, u" - {{title}}"_s), -1);
    EXPECT_EQ(TQPatternMenuFind(&menu_, QString()), -1);
    EXPECT_EQ(TQPatternMenuPatternAt(&menu_, 1), u"{{artist}}"_s);
    EXPECT_TRUE(TQPatternMenuPatternAt(&menu_, 2).isNull()) << "the separator";
    EXPECT_TRUE(TQPatternMenuPatternAt(&menu_, 9).isNull());
}

TEST_F(PatternMenuTest, InsertAddsBehindTheLeadingRunAndNeverDropsANewPattern)
{
    struct Case {
        QStringList patterns;
        qsizetype expected;
    };
    // A run of one pattern, or of none, takes a new pattern as well as a long run does.
    for (const Case& c : {Case{{u"{{a}}"_s, u"{{b}}"_s, u"{{c}}"_s, u"{{d}}"_s}, 4}, Case{{u"{{artist}}"_s}, 1},
                          Case{{}, 0}}) {
        SCOPED_TRACE(c.patterns.join(u',').toStdString());
        fill(c.patterns);
        EXPECT_EQ(TQPatternMenuInsert(&menu_, u"{{genre}}"_s, 105), c.expected);
        EXPECT_EQ(TQPatternMenuPatternAt(&menu_, c.expected), u"{{genre}}"_s);
        EXPECT_TRUE(menu_.actions()[c.expected + 1]->isSeparator());
    }

    // A pattern already there in other letters is found, not added.
    fill({u"{{artist}}"_s, u"{{genre}}"_s});
    EXPECT_EQ(TQPatternMenuInsert(&menu_, u"{{GENRE}}"_s, 105), 1);
    EXPECT_EQ(menu_.actions().size(), 4);
    EXPECT_EQ(TQPatternMenuInsert(&menu_, QString(), 105), -1);
}

TEST_F(PatternMenuTest, CollectStoresTheLeadingRunOnly)
{
    fill({u"{{title}}"_s, u"{{artist}} - {{title}}"_s});
    menu_.addAction(u"Clear History"_s)->setData(u"{{not a pattern of the run}}"_s);
    TQPatternMenuCollect(&menu_, u"TQCSetting"_s, u"RenameFilesFormatList"_s);
    EXPECT_EQ(storedList(), (QStringList{u"{{title}}"_s, u"{{artist}} - {{title}}"_s}));
    EXPECT_EQ(TQPatternMenuLastPatternIndex(&menu_), 1);

    QMenu empty;
    EXPECT_EQ(TQPatternMenuLastPatternIndex(&empty), -1);
    TQPatternMenuCollect(&empty, u"TQCSetting"_s, u"RenameFilesFormatList"_s);
    EXPECT_EQ(storedList().size(), 2) << "an empty menu stores nothing";
}

TEST_F(PatternMenuTest, UpdateAndToolTipsShowThePatternsWithTheirSamples)
{
    fill({u"{{title}}"_s, u"{{artist}}"_s});
    TQPatternMenuUpdateAt(&menu_, 1, u"{{tracknumber}} - {{title}}"_s, 105);
    EXPECT_EQ(TQPatternMenuPatternAt(&menu_, 1), u"{{tracknumber}} - {{title}}"_s);
    TQPatternMenuUpdateAt(&menu_, 2, u"{{album}}"_s, 105);
    EXPECT_TRUE(menu_.actions()[2]->isSeparator()) << "only pattern items are updated in place";

    TQPatternMenuSetToolTips(&menu_, u"Example of Destination File Name"_s, 105, 0);
    EXPECT_EQ(menu_.actions()[1]->toolTip(), u"Example of Destination File Name:\n\n03 - Morning Tide"_s);
    TQPatternMenuSetToolTips(&menu_, QString(), 105, 0x10);
    EXPECT_EQ(menu_.actions()[0]->toolTip(), u"Example:\n\nMORNING TIDE"_s);
}

} // namespace
} // namespace sonvale::test
