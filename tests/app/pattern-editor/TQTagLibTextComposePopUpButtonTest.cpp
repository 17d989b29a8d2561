#include "app/pattern-editor/TQTagLibTextComposePopUpButton.h"

#include "app/pattern-editor/TQPatternMenu.h"
#include "app/pattern-editor/TQTagLibTextComposeView.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit/TQPatternList.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QWidgetAction>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

using Controller = TQTagLibTextComposePopUpButton;

class PatternPopUpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scriptedResponder().reset();
        window_.resize(400, 80);
        button_ = new TQKitPopUpButton(&window_);
        button_->setGeometry(10, 10, 380, button_->sizeHint().height());
        window_.show();
    }
    void TearDown() override
    {
        button_->menu()->hide();
        scriptedResponder().reset();
    }

    void attachFileNames() { TQPatternPopUpAttach(button_, "TQCSetting", "RenameFilesFormatList", 1); }
    Controller* controller() const { return TQPatternPopUpController(button_); }
    QStringList patterns() const { return TQPatternMenuPatterns(button_->menu()); }
    std::string selected() const
    {
        std::string out;
        return TQPatternPopUpCopySelected(out, button_);
    }
    QStringList stored() const
    {
        QStringList list;
        for (const std::string& pattern :
             TQPatternListDefaultsLoad("TQCSetting", "RenameFilesFormatList", false, 105).value_or(TQPatternList{}))
            list.append(QString::fromStdString(pattern));
        return list;
    }

    // Opens the menu and presses one of the buttons of its actions row.
    void pressAction(const char* action)
    {
        button_->popUp();
        auto* row = qobject_cast<QWidgetAction*>(TQKitMenuItemWithTag(button_->menu(), Controller::kActionsPanelTag));
        ASSERT_TRUE(row) << "the actions row is added as the menu opens";
        auto* pressed = row->defaultWidget()->findChild<QPushButton*>(QString::fromLatin1(action));
        ASSERT_TRUE(pressed);
        pressed->click();
    }
    // Answers the next pattern box with `pattern` typed into it (Save), or with Cancel.
    void answerBoxWith(std::optional<QString> pattern)
    {
        scriptedResponder().setRule([pattern](const TQKitAlertRequest& request) {
            auto* view = qobject_cast<TQTagLibTextComposeView*>(request.accessoryView.data());
            if (!view || !pattern)
                return TQKitAlertAnswer{kTQKitAlertAlternateButton, false};
            view->setTextPattern(*pattern);
            return TQKitAlertAnswer{kTQKitAlertDefaultButton, false};
        });
    }
    bool waitForBox() const
    {
        return pumpUntil([] { return !scriptedResponder().requests().isEmpty(); });
    }

    TempHome home_;
    QWidget window_;
    TQKitPopUpButton* button_ = nullptr;
};

TEST_F(PatternPopUpTest, WithNothingStoredEachButtonListsItsBuiltInPatterns)
{
    attachFileNames();
    EXPECT_EQ(patterns().size(), 8);
    EXPECT_EQ(selected(), "{{artist}} - {{album}} - {{title}}");

    TQKitPopUpButton folders;
    TQPatternPopUpAttach(&folders, "TQCSetting", "DestDirFormatList", 2);
    EXPECT_EQ(TQPatternMenuPatterns(folders.menu()),
              (QStringList{u"{{artist}}"_s, u"{{artist}}/{{album}}"_s, u"{{genre}}"_s, u"{{genre}}/{{artist}}"_s}));
    EXPECT_EQ(TQPatternPopUpController(&folders)->patternFlags(), 209u);
}

TEST_F(PatternPopUpTest, TheFirstControllerStaysAndButtonsWithoutOneAnswerNothing)
{
    std::string out = "stale";
    EXPECT_STREQ(TQPatternPopUpCopySelected(out, button_), "");
    TQPatternPopUpSetSelected(button_, "{{title}}");
    TQPatternPopUpReset(button_);

    attachFileNames();
    Controller* first = controller();
    TQPatternPopUpAttach(button_, "TQCSetting", "DestDirFormatList", 2);
    EXPECT_EQ(controller(), first);
    EXPECT_EQ(first->setting(), u"RenameFilesFormatList"_s);
    EXPECT_EQ(first->type(), 1);
}

TEST_F(PatternPopUpTest, AStoredPatternMissingFromTheListIsAddedAndSelected)
{
    attachFileNames();
    TQPatternPopUpSetSelected(button_, "{{ARTIST}} - {{TITLE}}");
    EXPECT_EQ(button_->indexOfSelectedItem(), 1) << "found ignoring case";

    // "{{album}}" occurs inside other patterns, but it is not one of them.
    TQPatternPopUpSetSelected(button_, "{{album}}");
    EXPECT_EQ(selected(), "{{album}}");
    EXPECT_EQ(patterns().size(), 9);
    EXPECT_EQ(button_->indexOfSelectedItem(), 8);

    TQPatternPopUpSetSelected(button_, nullptr);
    EXPECT_EQ(button_->indexOfSelectedItem(), 0);
}

TEST_F(PatternPopUpTest, NewAddsTheComposedPatternStoresTheListAndSendsTheAction)
{
    attachFileNames();
    TQPatternPopUpSetMessages(button_, {{u"TQPBCVNewTitle"_s, u"New Destination File Name"_s}});
    QSignalSpy activated(button_, &TQKitPopUpButton::activated);
    answerBoxWith(u"{{title}}{{case:upper}}"_s);
    pressAction("menuActionNewPattern:");
    EXPECT_FALSE(button_->menu()->isVisible());
    ASSERT_TRUE(waitForBox());
    const TQKitAlertRequest& box = scriptedResponder().requests().front();
    EXPECT_EQ(box.title, u"New Destination File Name"_s);
    ASSERT_TRUE(pumpUntil([&] { return activated.count() == 1; }));
    EXPECT_EQ(selected(), "{{title}}{{case:upper}}") << "the case choice travels with the pattern";
    EXPECT_EQ(button_->indexOfSelectedItem(), 8);
    EXPECT_EQ(stored(), patterns());
    EXPECT_EQ(stored().size(), 9);
}

TEST_F(PatternPopUpTest, NewWithAPatternAlreadyListedInOtherLettersSelectsItAndAddsNothing)
{
    attachFileNames();
    QSignalSpy activated(button_, &TQKitPopUpButton::activated);
    answerBoxWith(u"{{TRACKNUMBER}} - {{Title}}"_s);
    pressAction("menuActionNewPattern:");
    ASSERT_TRUE(pumpUntil([&] { return activated.count() == 1; }));
    EXPECT_EQ(selected(), "{{tracknumber}} - {{title}}");
    EXPECT_EQ(patterns().size(), 8);
    EXPECT_EQ(stored().size(), 8) << "the list is stored again";
}

TEST_F(PatternPopUpTest, EditChangesTheSelectedItemAndCancelOrAnEmptyPatternChangeNothing)
{
    attachFileNames();
    button_->selectItemAtIndex(1);
    QSignalSpy activated(button_, &TQKitPopUpButton::activated);

    answerBoxWith(std::nullopt);
    pressAction("menuActionEditPattern:");
    ASSERT_TRUE(waitForBox());
    EXPECT_EQ(scriptedResponder().requests().front().title, u"Edit Pattern"_s);
    pumpEvents();
    scriptedResponder().reset();
    answerBoxWith(u""_s);
    pressAction("menuActionEditPattern:");
    ASSERT_TRUE(waitForBox());
    pumpEvents();
    EXPECT_EQ(activated.count(), 0);
    EXPECT_TRUE(stored().isEmpty()) << "nothing was stored";
    EXPECT_EQ(selected(), "{{artist}} - {{title}}");

    scriptedResponder().reset();
    answerBoxWith(u"{{artist}} – {{title}}"_s);
    pressAction("menuActionEditPattern:");
    ASSERT_TRUE(pumpUntil([&] { return activated.count() == 1; }));
    EXPECT_EQ(button_->indexOfSelectedItem(), 1);
    EXPECT_EQ(selected(), "{{artist}} – {{title}}");
    EXPECT_EQ(stored()[1], u"{{artist}} – {{title}}"_s);
}

TEST_F(PatternPopUpTest, ResetReturnsToTheBuiltInListAndKeepsOrRefindsTheSelection)
{
    struct Case {
        const char* selected;
        const char* afterReset;
    };
    // A built-in pattern stays selected; a pattern of the user's gives way to the first built-in
    // pattern that contains it, else to the first.
    for (const Case& c : {Case{"{{initialKey}} - {{mood}} - {{title}}", "{{initialKey}} - {{mood}} - {{title}}"},
                          Case{"{{mood}}", "{{initialKey}} - {{mood}} - {{title}}"},
                          Case{"{{year}}", "{{artist}} - {{album}} - {{title}}"}}) {
        SCOPED_TRACE(c.selected);
        TQPatternListSave("TQCSetting", "RenameFilesFormatList", {"{{year}}", "{{mood}}", "{{album}}"});
        TQKitPopUpButton button;
        TQPatternPopUpAttach(&button, "TQCSetting", "RenameFilesFormatList", 1);
        TQPatternPopUpSetSelected(&button, c.selected);
        TQPatternPopUpReset(&button);
        std::string out;
        EXPECT_STREQ(TQPatternPopUpCopySelected(out, &button), c.afterReset);
        EXPECT_EQ(TQPatternMenuPatterns(button.menu()).size(), 8);
        EXPECT_EQ(stored().size(), 8) << "the built-in list is stored";
    }
}

TEST_F(PatternPopUpTest, ResetFromTheMenuSendsTheActionAndTheSelectionStaysInsideTheList)
{
    TQPatternListSave("TQCSetting", "RenameFilesFormatList",
                      {"{{a}}", "{{b}}", "{{c}}", "{{d}}", "{{e}}", "{{f}}", "{{g}}", "{{h}}", "{{i}}", "{{year}}"});
    attachFileNames();
    TQPatternPopUpSetSelected(button_, "{{year}}");
    ASSERT_EQ(button_->indexOfSelectedItem(), 9);
    QSignalSpy activated(button_, &TQKitPopUpButton::activated);
    pressAction("menuActionResetList:");
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(selected(), "{{artist}} - {{album}} - {{title}}");
    // Opening and closing again returns to a pattern of the new list.
    button_->popUp();
    button_->menu()->hide();
    EXPECT_EQ(selected(), "{{artist}} - {{album}} - {{title}}");
}

TEST_F(PatternPopUpTest, WithAScreenReaderTheActionsArePlainMenuItems)
{
    attachFileNames();
    std::unique_ptr<QAction> item(controller()->menuItemActionWithTag(Controller::kActionsItemTag, 300));
    ASSERT_TRUE(item->menu());
    QStringList titles;
    for (const QAction* command : item->menu()->actions())
        titles.append(command->text());
    EXPECT_EQ(titles, (QStringList{u"New..."_s, u"Edit..."_s, u"Reset"_s}));
    EXPECT_EQ(item->menu()->actions()[0]->toolTip(), u"Create a new pattern"_s);
}

} // namespace
} // namespace sonvale::test
