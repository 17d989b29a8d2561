#include "app/pattern-editor/TQTagLibTextComposeView.h"

#include "app/pattern-editor/TQTagLibTextComposeViewToken.h"
#include "app/pattern-editor/TQTagLibTextComposeViewTokenField.h"
#include "tests/support/QtTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

using View = TQTagLibTextComposeView;

TEST(TQTagLibTextComposeViewTest, AnEmptyPatternSaysSoInTheHostsWordsOrItsOwn)
{
    View view;
    EXPECT_EQ(view.sampleField()->text(), u"Pattern is empty."_s);
    view.setMsgDict({{u"TQCVPatternEmptyMsg"_s, u"Nothing to name files with."_s}});
    EXPECT_EQ(view.sampleField()->text(), u"Nothing to name files with."_s);
}

TEST(TQTagLibTextComposeViewTest, TheSampleFollowsThePatternAndThePopUps)
{
    View view;
    view.setPatternFlags(105);
    view.setTextPattern(u"{{trackNumber}} - {{title}}"_s);
    EXPECT_EQ(view.sampleField()->text(), u"03 - Morning Tide"_s);

    view.casePopupButton()->setCurrentIndex(3); // upper case
    EXPECT_EQ(view.sampleField()->text(), u"03 - MORNING TIDE"_s);
    view.spacingPopupButton()->setCurrentIndex(4); // no spaces
    EXPECT_EQ(view.sampleField()->text(), u"03-MORNINGTIDE"_s);
    EXPECT_EQ(view.textPattern(), u"{{trackNumber}} - {{title}}{{spacing:none}}{{case:upper}}"_s);
    EXPECT_EQ(view.textPatternNoModFlags(), u"{{trackNumber}} - {{title}}"_s);

    view.tokenField()->setFocus();
    view.tokenField()->moveCursor(QTextCursor::End);
    QTest::keyClicks(view.tokenField(), u"!"_s);
    EXPECT_EQ(view.sampleField()->text(), u"03-MORNINGTIDE!"_s);

    auto tags = std::make_shared<const TQKitTagValues>(TQKitTagValues{{"title", "Paper Boats"}});
    view.setSampleObject(tags);
    EXPECT_EQ(view.sampleField()->text(), u"03-PAPERBOATS!"_s);
}

TEST(TQTagLibTextComposeViewTest, ModifiersWrittenInAPatternChooseThePopUpsAndOthersLeaveThem)
{
    View view;
    view.setTextPattern(u"{{title}}{{spacing:underscores}}{{case:lower}}"_s);
    EXPECT_EQ(view.spacingPopupButton()->currentIndex(), 2);
    EXPECT_EQ(view.casePopupButton()->currentIndex(), 2);
    EXPECT_EQ(view.modFlags(), 0x01u | 0x08u);

    // Without modifiers in the text the choices stay and travel with the new pattern.
    view.setTextPattern(u"{{artist}}"_s);
    EXPECT_EQ(view.modFlags(), 0x01u | 0x08u);
    EXPECT_EQ(view.textPattern(), u"{{artist}}{{spacing:underscores}}{{case:lower}}"_s);
    view.setTextPatternNoModFlags(u"{{album}}{{case:upper}}"_s);
    EXPECT_EQ(view.casePopupButton()->currentIndex(), 2);
}

TEST(TQTagLibTextComposeViewTest, ModFlagsSelectOneItemOfEachPopUp)
{
    struct Case {
        uint32_t flags;
        int spacing;
        int caseIndex;
    };
    // Several bits of one group: the first of the group's order wins. 0 leaves both as they were.
    for (const Case& c : {Case{0x01 | 0x04, 2, 0}, Case{0x04, 3, 0}, Case{0x02, 4, 0}, Case{0x08 | 0x80, 0, 2},
                          Case{0x10, 0, 3}, Case{0x20, 0, 4}, Case{0x40, 0, 6}, Case{0x80, 0, 7}, Case{0, 0, 0}}) {
        SCOPED_TRACE(c.flags);
        View view;
        view.setModFlags(c.flags);
        EXPECT_EQ(view.spacingPopupButton()->currentIndex(), c.spacing);
        EXPECT_EQ(view.casePopupButton()->currentIndex(), c.caseIndex);
    }
    // Separators and indexes out of range carry no modifier.
    for (const int index : {1, 5, 8, -1})
        EXPECT_EQ(View::modFlagsCase(index), 0u) << index;
}

TEST(TQTagLibTextComposeViewTest, HostTextsBecomeHelpAndThePopUpItemsShowWhatTheyDo)
{
    View view;
    view.setPatternFlags(105);
    view.setTextPattern(u"{{title}}"_s);
    view.setMsgDict({{u"TQCVTokenFieldToolTip"_s, u"Pattern to rename destination files."_s},
                     {u"TQCVCaseToolTip"_s, u"Set up the case of the Destination File Name"_s},
                     {u"TQCVTokenFieldAccTitle"_s, u"Pattern for the Destination File Name"_s},
                     {u"TQCVMenuToolTipExample"_s, u"Example of the Destination File Name"_s}});
    EXPECT_EQ(view.tokenField()->toolTip(), u"Pattern to rename destination files."_s);
    EXPECT_EQ(view.casePopupButton()->toolTip(), u"Set up the case of the Destination File Name"_s);
    EXPECT_EQ(view.tokenField()->accessibleName(), u"Pattern for the Destination File Name"_s);
    EXPECT_EQ(view.spacingPopupButton()->toolTip(), u"Set up the spacing"_s) << "no host text: the view's own";

    view.show();
    view.casePopupButton()->showPopup();
    EXPECT_EQ(view.casePopupButton()->itemData(3, Qt::ToolTipRole).toString(),
              u"Example of the Destination File Name:\n\nMORNING TIDE"_s);
    EXPECT_FALSE(view.casePopupButton()->itemData(1, Qt::ToolTipRole).isValid()) << "a separator";
    view.casePopupButton()->hidePopup();
}

} // namespace
} // namespace sonvale::test
