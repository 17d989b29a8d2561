#include "app/preferences/TQPreferencesDialogController.h"

#include "app/preferences/TQPreferencesDialogDelegate.h"
#include "app/preferences/TQPreferencesViewController.h"
#include "platform/system/UserDefaults.h"
#include "platform/tqkit-ui/TQKitAlertRequest.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit/TQKitSettings.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

// A page of a given label and natural size that records what the dialog asks of it.
class FakePage final : public TQPreferencesViewController {
public:
    explicit FakePage(QString label, QSize natural = {420, 260}) : label_(std::move(label)), natural_(natural) {}

    QString identifier() const override { return u"Fake"_s + label_; }
    QIcon toolbarItemImage() const override { return image; }
    QString toolbarItemLabel() const override { return label_; }
    bool hasResizableWidth() const override { return resizableWidth; }
    bool hasResizableHeight() const override { return resizableHeight; }
    bool hasResetPreferences() const override { return canReset; }
    void resetPreferences() override { ++resets; }
    bool commitEditing() override
    {
        ++commits;
        return acceptsCommit;
    }

    QIcon image;
    bool resizableWidth = false;
    bool resizableHeight = false;
    bool canReset = false;
    bool acceptsCommit = true;
    int commits = 0;
    int resets = 0;

protected:
    QWidget* loadView() override
    {
        auto* view = new QWidget;
        view->setObjectName(label_);
        view->setMinimumSize(natural_);
        return view;
    }

private:
    QString label_;
    QSize natural_;
};

class FooterDelegate final : public TQPreferencesDialogDelegate {
public:
    void preferencesDialogMenuCommandId(QWidget*, int) override {}
    void preferencesDialogCtxMenuBuildHeader(QMenu*) override {}
    void preferencesDialogCtxMenuBuildFooter(QMenu* menu) override { menu->addAction(u"Convert Files..."_s); }
    void preferencesDialogCtxMenuWillOpenAppInfoKeyword(QMenu*, const QString& keyword) override
    {
        keywords.append(keyword);
    }
    bool preferencesDialogAppInfoKeywordAllowed() override { return true; }

    QStringList keywords;
};

class TQPreferencesDialogControllerTest : public ::testing::Test {
protected:
    TQPreferencesDialogControllerTest() { scriptedResponder().reset(); }
    ~TQPreferencesDialogControllerTest() override
    {
        dialog_.reset();
        pumpEvents();
    }

    TQPreferencesDialogController& make(QList<TQPreferencesViewController*> pages, const QVariantMap& options = {})
    {
        dialog_ = std::make_unique<TQPreferencesDialogController>(std::move(pages), QString(), options);
        return *dialog_;
    }
    static QList<TQPreferencesViewController*> fourPages(FakePage** effects = nullptr)
    {
        auto* page = new FakePage(u"Effects"_s);
        if (effects)
            *effects = page;
        return {new FakePage(u"General"_s), new FakePage(u"Format"_s), page, new FakePage(u"Tags"_s)};
    }
    static UserDefaults defaults() { return UserDefaults(UserDefaults::standardPath()); }

    TempHome home_;
    std::unique_ptr<TQPreferencesDialogController> dialog_;
};

TEST_F(TQPreferencesDialogControllerTest, ToolbarLabelsArePaddedAndTheHelpButtonEndsTheToolbar)
{
    auto& dialog = make(fourPages(), {{u"TQPreferencesDialogKey_HelpButton"_s, 1}});
    EXPECT_EQ(dialog.toolbarItem(u"FakeGeneral"_s)->text(), u"General  "_s);
    EXPECT_EQ(dialog.toolbarItem(u"FakeTags"_s)->text(), u"Tags     "_s);
    EXPECT_EQ(dialog.toolbarItemIdentifiersWithHelpButton(),
              (QStringList{u"FakeGeneral"_s, u"FakeFormat"_s, u"FakeEffects"_s, u"FakeTags"_s,
                           u"TQPreferencesFlexibleSpace"_s, u"TQPreferencesHelpButton"_s}));
    EXPECT_EQ(dialog.toolbarItemIdentifiers().size(), 4);
    ASSERT_NE(dialog.helpButton(), nullptr);
    EXPECT_EQ(dialog.helpButton()->text(), u"Help"_s);
    EXPECT_FALSE(dialog.helpButton()->isCheckable());

    auto& long_ = make({new FakePage(u"General"_s), new FakePage(u"Destinations"_s)});
    EXPECT_EQ(long_.toolbarItem(u"FakeGeneral"_s)->text(), u"General     "_s);
    EXPECT_EQ(long_.helpButton(), nullptr);
}

// A style's icon may come smaller than the toolbar's size; its button's label still sits on the
// line of the others, which comes with an image of the full size, the icon unscaled in its middle.
TEST_F(TQPreferencesDialogControllerTest, ToolbarImagesOfEverySizeTakeTheFullSquare)
{
    const struct {
        int side;
        QColor colour;
    } images[] = {{16, Qt::red}, {32, Qt::blue}};
    QList<TQPreferencesViewController*> pages;
    for (const auto& image : images) {
        QPixmap pixmap(image.side, image.side);
        pixmap.fill(image.colour);
        auto* page = new FakePage(QString::number(image.side));
        page->image = QIcon(pixmap);
        pages.append(page);
    }
    auto& dialog = make(pages);
    for (const auto& image : images) {
        SCOPED_TRACE(image.side);
        const QIcon icon = dialog.toolbarItem(u"Fake"_s + QString::number(image.side))->icon();
        EXPECT_EQ(icon.actualSize(QSize(32, 32)), QSize(32, 32));
        const QImage drawn = icon.pixmap(QSize(32, 32), 1.0).toImage();
        EXPECT_EQ(drawn.pixelColor(16, 16), image.colour);
        EXPECT_EQ(drawn.pixelColor(1, 1).alpha(), image.side == 32 ? 255 : 0);
    }
}

TEST_F(TQPreferencesDialogControllerTest, ARefusedCommitKeepsThePageAndTheShownPageIsNotCommittedAgain)
{
    FakePage* general = new FakePage(u"General"_s);
    FakePage* effects = new FakePage(u"Effects"_s);
    auto& dialog = make({general, effects});
    ASSERT_EQ(dialog.selectedViewController(), general);

    dialog.setSelectedViewController(general);
    EXPECT_EQ(general->commits, 0);

    general->acceptsCommit = false;
    dialog.toolbarItem(u"FakeEffects"_s)->trigger();
    EXPECT_EQ(dialog.selectedViewController(), general);
    EXPECT_TRUE(dialog.toolbarItem(u"FakeGeneral"_s)->isChecked());
    EXPECT_FALSE(dialog.toolbarItem(u"FakeEffects"_s)->isChecked());
    EXPECT_EQ(dialog.window()->findChild<QWidget*>(u"General"_s)->isVisibleTo(dialog.window()), true);

    general->acceptsCommit = true;
    dialog.toolbarItem(u"FakeEffects"_s)->trigger();
    EXPECT_EQ(dialog.selectedViewController(), effects);
    EXPECT_EQ(dialog.window()->windowTitle(), u"Effects"_s);
}

TEST_F(TQPreferencesDialogControllerTest, TheLastPageItsPositionAndItsSizeComeBack)
{
    FakePage* effects = nullptr;
    {
        auto& dialog = make(fourPages(&effects));
        effects->resizableWidth = true;
        dialog.showWindow();
        dialog.setSelectedViewController(effects);
        dialog.window()->move(140, 90);
        dialog.window()->resize(dialog.window()->width() + 100, dialog.window()->height() + 50);
        ASSERT_TRUE(pumpUntil([&] { return effects->view()->width() >= 520; }));
        pumpEvents();
        dialog.closeWindow();
    }
    auto& dialog = make(fourPages(&effects));
    effects->resizableWidth = true;
    // Selected again at creation: a fresh dialog sizes the page before it knows the page is resizable.
    dialog.setSelectedViewController(dialog.firstViewController());
    dialog.setSelectedViewController(effects);
    dialog.showWindow();
    pumpEvents();
    EXPECT_EQ(defaults().objectForKey("TQPreferences Selected Identifier View"), nlohmann::json("FakeEffects"));
    EXPECT_EQ(dialog.window()->frameGeometry().topLeft(), QPoint(140, 90));
    // The width is resizable and comes back; the height isn't, so the natural height wins.
    EXPECT_EQ(effects->view()->width(), 520);
    EXPECT_EQ(effects->view()->height(), 260);
    EXPECT_EQ(dialog.window()->maximumHeight(), dialog.window()->minimumHeight());
}

// Every store syncs the settings file, so a drag must not store each step of the way.
TEST_F(TQPreferencesDialogControllerTest, AMovingWindowIsStoredWhenItComesToRestOrCloses)
{
    auto& dialog = make(fourPages());
    dialog.showWindow();
    pumpEvents();
    const auto storedTopLeft = [] { return defaults().objectForKey("TQPreferences Frame Top Left"); };
    for (int x = 100; x <= 160; x += 20) {
        dialog.window()->move(x, 90);
        pumpEvents();
        EXPECT_NE(storedTopLeft(), nlohmann::json(QString(u"{%1, 90}"_s).arg(x).toStdString()));
    }
    EXPECT_TRUE(pumpUntil([&] { return storedTopLeft() == nlohmann::json("{160, 90}"); }));

    dialog.window()->move(200, 120);
    pumpEvents();
    dialog.closeWindow();
    EXPECT_EQ(storedTopLeft(), nlohmann::json("{200, 120}"));
}

TEST_F(TQPreferencesDialogControllerTest, TheRememberedPageOpensFirstAndAFrameSmallerThanThePageIsIgnored)
{
    UserDefaults stored = defaults();
    ASSERT_TRUE(stored.setObjectForKey("FakeTags", "TQPreferences Selected Identifier View").isOk());
    ASSERT_TRUE(stored.setObjectForKey("{{0, 0}, {100, 80}}", "TQPreferences FakeTags Frame").isOk());
    FakePage* tags = new FakePage(u"Tags"_s);
    tags->resizableWidth = tags->resizableHeight = true;
    auto& dialog = make({new FakePage(u"General"_s), tags});
    EXPECT_EQ(dialog.selectedViewController(), tags);
    dialog.showWindow();
    ASSERT_TRUE(pumpUntil([&] { return tags->view()->isVisible(); }));
    pumpEvents();
    EXPECT_EQ(tags->view()->size(), QSize(420, 260));
    EXPECT_EQ(dialog.window()->maximumWidth(), QWIDGETSIZE_MAX);
}

TEST_F(TQPreferencesDialogControllerTest, AStoredPositionOffEveryScreenIsBroughtBackOnOne)
{
    ASSERT_TRUE(defaults().setObjectForKey("{-20000, 15000}", "TQPreferences Frame Top Left").isOk());
    auto& dialog = make(fourPages());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(dialog.window()->pos())) << dialog.window()->pos().x() << "," << dialog.window()->pos().y();
}

TEST_F(TQPreferencesDialogControllerTest, EscapeActsLikeTheCloseButton)
{
    FakePage* general = new FakePage(u"General"_s);
    auto& dialog = make({general});
    dialog.showWindow();
    TQKitSettingWriteText("TQPreferences", "LastVisibilityStatus", "1");

    general->acceptsCommit = false;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog.window(), &escape);
    EXPECT_TRUE(dialog.window()->isVisible());
    EXPECT_FALSE(TQPreferencesDialogController::lastVisibilityStatus());

    general->acceptsCommit = true;
    TQKitSettingWriteText("TQPreferences", "LastVisibilityStatus", "1");
    QApplication::sendEvent(dialog.window(), &escape);
    EXPECT_FALSE(dialog.window()->isVisible());
    EXPECT_FALSE(TQPreferencesDialogController::lastVisibilityStatus());

    // The close button does the same; closing by the program leaves the dialog to reopen.
    dialog.showWindow();
    TQKitSettingWriteText("TQPreferences", "LastVisibilityStatus", "1");
    dialog.window()->close();
    EXPECT_FALSE(dialog.window()->isVisible());
    EXPECT_EQ(TQKitSettingReadText("TQPreferences", "LastVisibilityStatus"), "0");
    dialog.showWindow();
    TQKitSettingWriteText("TQPreferences", "LastVisibilityStatus", "1");
    EXPECT_TRUE(dialog.closeWindow());
    EXPECT_TRUE(TQPreferencesDialogController::lastVisibilityStatus());
}

TEST_F(TQPreferencesDialogControllerTest, TabsStepAroundThePagesAndSkipSpaces)
{
    FakePage* general = new FakePage(u"General"_s);
    FakePage* tags = new FakePage(u"Tags"_s);
    auto& dialog = make({general, nullptr, tags});
    dialog.goNextTab();
    EXPECT_EQ(dialog.selectedViewController(), tags);
    dialog.goNextTab();
    EXPECT_EQ(dialog.selectedViewController(), general);
    dialog.goPreviousTab();
    EXPECT_EQ(dialog.selectedViewController(), tags);
}

TEST_F(TQPreferencesDialogControllerTest, ThePageMenuOffersResetUnderThePagesName)
{
    FakePage* effects = nullptr;
    auto& dialog = make(fourPages(&effects));
    FooterDelegate delegate;
    effects->canReset = true;
    dialog.setSelectedViewController(effects);
    EXPECT_EQ(dialog.ctxMenuForController(effects), nullptr); // no delegate, no menu
    EXPECT_EQ(dialog.resetPreferencesTitle(), u"Reset Effects..."_s);
    EXPECT_EQ(dialog.resetPreferencesTitleMsgBox(), u"Reset Effects"_s);

    dialog.setDelegate(&delegate);
    QMenu* menu = dialog.ctxMenu();
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(TQKitMenuItemTag(items[0]), 32100);
    EXPECT_EQ(items[0]->text(), u"Reset Effects..."_s);
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), u"Convert Files..."_s);

    // Declining the question resets nothing; confirming resets the page shown then.
    scriptedResponder().answerTitle(u"Reset Effects"_s, {kTQKitQuestionDeclined, false});
    items[0]->trigger();
    pumpUntil([] { return scriptedResponder().requests().size() == 1; });
    pumpEvents();
    EXPECT_EQ(effects->resets, 0);
    EXPECT_EQ(scriptedResponder().requests().first().message, u"Would you like to reset Effects to defaults?"_s);
    scriptedResponder().answerTitle(u"Reset Effects"_s, {kTQKitQuestionConfirmed, false});
    dialog.resetPreferences();
    ASSERT_TRUE(pumpUntil([&] { return effects->resets == 1; }));

    // A page without reset gets only the delegate's items.
    dialog.setSelectedViewController(dialog.firstViewController());
    ASSERT_EQ(dialog.ctxMenu()->actions().size(), 1);
    EXPECT_FALSE(dialog.respondsToResetPreferences());
    EXPECT_TRUE(dialog.resetPreferencesTitle().isEmpty());
}

} // namespace
} // namespace sonvale::test
