#include "app/controls/TQControlPathPicker.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit/TQKitSettings.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenu>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace sonvale::test;

namespace {

class TQControlPathPickerTest : public ::testing::Test {
protected:
    TQControlPathPickerTest()
    {
        scriptedResponder().reset();
        window_.setCentralWidget(picker_);
        picker_->setFlags(29);
        window_.show();
    }
    ~TQControlPathPickerTest() override { scriptedResponder().reset(); }

    QString homePath(const QString& relative) const
    {
        return QDir(QString::fromStdString(home_.path().string())).filePath(relative);
    }
    QString makeFolder(const QString& name) const
    {
        QDir().mkpath(homePath(name));
        return homePath(name);
    }

    QStringList menuTitles() const
    {
        QStringList titles;
        for (QAction* item : picker_->popupMenu()->actions())
            titles.append(item->isSeparator() ? u"-"_s : item->text());
        return titles;
    }
    QAction* itemTitled(const QString& title) const
    {
        for (QAction* item : picker_->popupMenu()->actions()) {
            if (item->text() == title)
                return item;
        }
        return nullptr;
    }

    TempHome home_;
    QMainWindow window_;
    TQControlPathPicker* picker_ = new TQControlPathPicker;
};

TEST_F(TQControlPathPickerTest, AnEmptyListShowsTheDefaultFolderCreatedOnTheSpot)
{
    picker_->reload();
    const QString folder = homePath(u"Music/Sonvale"_s);
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_EQ(menuTitles(), (QStringList{u"As Source Folder"_s, folder, u"-"_s, u"Browse..."_s}));
    EXPECT_EQ(picker_->path(), folder);
    EXPECT_EQ(picker_->text(), folder);
}

TEST_F(TQControlPathPickerTest, ClearListIsOfferedForTwoFoldersAndLeavesOnlyTheDefaultFolder)
{
    picker_->reload();
    const QString other = makeFolder(u"Other"_s);
    ASSERT_TRUE(picker_->addAndSelectPath(other, {}));
    EXPECT_EQ(menuTitles().mid(1, 2), (QStringList{other, homePath(u"Music/Sonvale"_s)}));
    EXPECT_EQ(menuTitles().last(), u"Clear List..."_s);

    scriptedResponder().answerTitle(u"Clear List"_s, {kTQKitQuestionDeclined, false});
    itemTitled(u"Clear List..."_s)->trigger();
    ASSERT_TRUE(pumpUntil([] { return scriptedResponder().requests().size() == 1; }));
    pumpEvents();
    EXPECT_EQ(menuTitles().size(), 7); // refused: unchanged

    scriptedResponder().reset();
    itemTitled(u"Clear List..."_s)->trigger();
    ASSERT_TRUE(pumpUntil([&] { return menuTitles().size() == 4; }));
    EXPECT_EQ(scriptedResponder().requests().first().message,
              u"Are you sure you want to clear the list of Destination Folders?"_s);
    EXPECT_EQ(menuTitles()[1], homePath(u"Music/Sonvale"_s));
}

TEST_F(TQControlPathPickerTest, AsSourceFolderPassesWithoutTouchingTheDiskAndSetsTheSharedFlag)
{
    picker_->reload();
    itemTitled(u"As Source Folder"_s)->trigger();
    EXPECT_EQ(picker_->specialItemSelected(), 16u);
    EXPECT_EQ(TQKitSettingReadText("TQControlPathPicker", "SpecialItemFlags", ""), "16");
    QDir(homePath(u"Music/Sonvale"_s)).removeRecursively();
    QString passed;
    EXPECT_TRUE(picker_->testPathAndShowMessage([&](const QString& path) { passed = path; }));
    EXPECT_EQ(passed, homePath(u"Music/Sonvale"_s)); // the default folder's entry stands for it

    const QString chosen = makeFolder(u"Chosen"_s);
    ASSERT_TRUE(picker_->addAndSelectPath(chosen, {}));
    EXPECT_EQ(picker_->specialItemSelected(), 0u);
    EXPECT_EQ(picker_->text(), chosen);
}

TEST_F(TQControlPathPickerTest, PickingADeletedFolderShowsItsAlertAndContinueOpensTheChooser)
{
    picker_->reload();
    const QString gone = makeFolder(u"Gone"_s);
    ASSERT_TRUE(picker_->addAndSelectPath(gone, {}));
    QDir(gone).removeRecursively();
    picker_->setFlags(29 & ~TQPathPickerFlagDisableMissing);

    itemTitled(gone)->trigger();
    EXPECT_TRUE(scriptedResponder().requests().isEmpty()); // 0.3 s later
    ASSERT_TRUE(pumpUntil([] { return !scriptedResponder().requests().isEmpty(); }));
    const TQKitAlertRequest alert = scriptedResponder().requests().first();
    EXPECT_EQ(alert.title, u"Folder does not exist"_s);
    ASSERT_EQ(alert.buttons.size(), 2); // no "Show in File Manager..." without a folder
    EXPECT_EQ(alert.buttons[0].title, u"Continue"_s);
    EXPECT_EQ(alert.buttons[1].title, u"Cancel"_s);

    // Continue (the default answer) opens the folder chooser as a sheet.
    ASSERT_TRUE(pumpUntil([&] { return window_.findChild<QFileDialog*>() != nullptr; }));
    EXPECT_TRUE(TQKitWindowHasSheet(&window_));
    EXPECT_FALSE(picker_->validateMenuItem(itemTitled(u"As Source Folder"_s))); // all off under a sheet
    const QString replacement = makeFolder(u"Replacement"_s);
    auto* chooser = window_.findChild<QFileDialog*>();
    chooser->setDirectory(replacement);
    QMetaObject::invokeMethod(chooser, "accept");
    EXPECT_EQ(picker_->path(), replacement);
}

TEST_F(TQControlPathPickerTest, MissingFoldersAreDisabledInTheMenu)
{
    picker_->reload();
    const QString gone = makeFolder(u"Gone"_s);
    ASSERT_TRUE(picker_->addAndSelectPath(gone, {}));
    QDir(gone).removeRecursively();
    EXPECT_FALSE(picker_->validateMenuItem(itemTitled(gone)));
    EXPECT_TRUE(picker_->validateMenuItem(itemTitled(homePath(u"Music/Sonvale"_s))));
}

TEST_F(TQControlPathPickerTest, OnlyTheVeryDefaultFolderIsCreatedWhenMissing)
{
    picker_->reload();
    const QString defaultFolder = homePath(u"Music/Sonvale"_s);
    QDir(defaultFolder).removeRecursively();
    QString passed;
    EXPECT_TRUE(picker_->testCPathAndShowMessage(defaultFolder, true, [&](const QString& p) { passed = p; }));
    EXPECT_EQ(passed, defaultFolder);
    EXPECT_TRUE(QDir(defaultFolder).exists());

    // Another case is another folder on Linux: it is not created, it fails.
    const QString otherCase = homePath(u"Music/sonvale"_s);
    EXPECT_FALSE(picker_->testCPathAndShowMessage(otherCase, true, {}));
    EXPECT_FALSE(QDir(otherCase).exists());
    ASSERT_TRUE(pumpUntil([] { return !scriptedResponder().requests().isEmpty(); }));
    EXPECT_EQ(scriptedResponder().requests().first().title, u"Folder does not exist"_s);
}

TEST_F(TQControlPathPickerTest, ATooLongFolderPathIsRefusedWithTheAlertNotCut)
{
    picker_->reload();
    scriptedResponder().answerTitle(u"Folder cannot be used"_s, {kTQKitAlertOtherButton, false});
    QString folder = homePath(u"deep"_s);
    while (folder.toUtf8().size() < 1100)
        folder += u"/abcdefghijklmnopqrstuvwxyz"_s;
    ASSERT_TRUE(QDir().mkpath(folder));
    bool answered = false;
    QString result = u"unset"_s;
    EXPECT_FALSE(picker_->addAndSelectPath(folder, [&](const QString& path) {
        answered = true;
        result = path;
    }));
    ASSERT_TRUE(pumpUntil([&] { return answered; }));
    EXPECT_TRUE(result.isEmpty());
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"Folder cannot be used"_s});
    EXPECT_EQ(menuTitles().size(), 4); // the list is unchanged
}

TEST_F(TQControlPathPickerTest, AFolderThatCannotBeWrittenOffersToShowIt)
{
    picker_->reload();
    // No one, not even the superuser, creates files in /proc.
    const QString locked = u"/proc"_s;
    scriptedResponder().answerTitle(u"Folder cannot be used"_s, {kTQKitAlertOtherButton, false});
    EXPECT_FALSE(picker_->addAndSelectPath(locked, {}));
    ASSERT_TRUE(pumpUntil([] { return !scriptedResponder().requests().isEmpty(); }));
    const TQKitAlertRequest alert = scriptedResponder().requests().first();
    EXPECT_EQ(alert.title, u"Folder cannot be used"_s);
    EXPECT_EQ(alert.message, u"Cannot write to selected destination folder, press Continue to select another folder."_s);
    ASSERT_EQ(alert.buttons.size(), 3);
    EXPECT_EQ(alert.buttons[1].title, u"Show in File Manager..."_s);
    EXPECT_EQ(menuTitles().size(), 4); // not entered into the list

    // Without the writability test the folder passes.
    QString passed;
    EXPECT_TRUE(picker_->testCPathAndShowMessage(locked, false, [&](const QString& p) { passed = p; }));
    EXPECT_EQ(passed, locked);
}

} // namespace
