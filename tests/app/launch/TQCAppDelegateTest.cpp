#include "app/controls/TQMenuItemPerformer.h"
#include "app/launch/TQCAppDelegateCustom.h"
#include "app/launch/TQCAppMainInterface.h"
#include "app/main-window/TQCAppMainWindowController.h"
#include "lifecycle/TQAnalytics.h"
#include "platform/tqkit-ui/TQKitAppMain.h"
#include "platform/system/XdgPaths.h"
#include "platform/tqkit-ui/TQKitDockMenu.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

#include <gtest/gtest.h>

#include <fstream>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using sonvale::test::pumpUntil;

namespace {

// Stands in for the main window controller and records what the delegate asks of it.
class RecordingController final : public TQCAppMainWindowController {
public:
    void windowDidLoad() override { calls.append(u"windowDidLoad"_s); }
    void startConversionWithFilesAccumulate(const QStringList& files) override { received.append(files); }
    bool appQuitInProgress() const override { return quitting; }
    int closeAndRequestQuitApp(QObject*) override
    {
        calls.append(u"closeAndRequestQuitApp"_s);
        return quitAnswer;
    }
    bool closeAllCustomAccessible() const override { return somethingToClose; }
    bool validateMenuItem(QAction*) override { return itemsValid; }
    void paste(QObject* sender) override { senders.append({u"paste"_s, sender}); }
    void delegateAction(QObject* sender) override { senders.append({u"delegateAction"_s, sender}); }
    void closeAllCustom(QObject* sender) override { senders.append({u"closeAllCustom"_s, sender}); }

    QStringList calls;
    QList<QStringList> received;
    QList<std::pair<QString, QObject*>> senders;
    bool quitting = false;
    int quitAnswer = 0;
    bool somethingToClose = false;
    bool itemsValid = true;
};

class TQCAppDelegateTest : public ::testing::Test {
protected:
    TQCAppDelegateTest()
    {
        auto window = std::make_unique<QMainWindow>();
        window_ = window.get();
        auto controller = std::make_unique<RecordingController>();
        controller_ = controller.get();
        delegate_.setWindow(std::move(window));
        delegate_.setMainWindowController(std::move(controller));
    }

    // Lets the event loop run for a while, to see that nothing more arrives.
    void settle() { pumpUntil([] { return false; }, 300ms); }

    QStringList titles(QMenu& menu)
    {
        QStringList result;
        for (QAction* item : menu.actions())
            result.append(item->isSeparator() ? u"-"_s : item->text());
        return result;
    }

    sonvale::test::TempHome home_;
    TQCAppDelegateCustom delegate_;
    QMainWindow* window_;
    RecordingController* controller_;
};

TEST_F(TQCAppDelegateTest, FilesOpenedDuringLaunchAreHandedOnOnceTheWindowIsReady)
{
    delegate_.applicationOpenFiles({u"/music/a.flac"_s, u"/music/b.mp3"_s});
    EXPECT_TRUE(delegate_.applicationOpenFile(u"/music/c.wav"_s));
    delegate_.handleGetURLEvent(u"https://example.org/d.mp3"_s);
    delegate_.handleGetURLEvent(QString()); // no direct object: ignored
    settle();
    EXPECT_TRUE(controller_->received.isEmpty()); // still launching: kept, not dropped

    delegate_.applicationDidFinishLaunching();
    EXPECT_EQ(controller_->window(), window_);
    EXPECT_EQ(controller_->calls, QStringList{u"windowDidLoad"_s});
    ASSERT_TRUE(pumpUntil([&] { return controller_->received.size() == 3; }));
    settle();
    QList<QStringList> received = controller_->received;
    std::sort(received.begin(), received.end());
    EXPECT_EQ(received, (QList<QStringList>{{u"/music/a.flac"_s, u"/music/b.mp3"_s},
                                            {u"/music/c.wav"_s},
                                            {u"https://example.org/d.mp3"_s}}));

    // After launch a request goes straight through.
    EXPECT_TRUE(delegate_.applicationOpenTempFile(u"/tmp/e.aiff"_s));
    EXPECT_EQ(controller_->received.last(), QStringList{u"/tmp/e.aiff"_s});
}

TEST_F(TQCAppDelegateTest, DockMenuOffersCloseAllOnlyWithSomethingToClose)
{
    for (const bool somethingToClose : {false, true}) {
        controller_->somethingToClose = somethingToClose;
        const std::unique_ptr<QMenu> menu = delegate_.applicationDockMenu();
        EXPECT_EQ(titles(*menu), somethingToClose ? (QStringList{u"Close All"_s, u"-"_s, u"Paste"_s})
                                                  : QStringList{u"Paste"_s});
        EXPECT_EQ(TQKitMenuItemAction(menu->actions().last()), "paste:");
    }

    // On the tray, items are enabled as the delegate validates them and sent back to it.
    TQKitDockMenu dock(delegate_);
    QMenu shown;
    controller_->quitting = true;
    dock.refill(&shown);
    EXPECT_EQ(titles(shown), (QStringList{u"Close All"_s, u"-"_s, u"Paste"_s}));
    EXPECT_FALSE(shown.actions().first()->isEnabled());
    controller_->quitting = false;
    dock.refill(&shown);
    ASSERT_TRUE(shown.actions().first()->isEnabled());
    delegate_.performMenuAction(shown.actions().first());
    delegate_.performMenuAction(shown.actions().last());
    ASSERT_EQ(controller_->senders.size(), 2);
    EXPECT_EQ(controller_->senders[0], std::make_pair(u"closeAllCustom"_s, static_cast<QObject*>(shown.actions().first())));
    EXPECT_EQ(controller_->senders[1].first, u"paste"_s);
}

TEST_F(TQCAppDelegateTest, MenuValidation)
{
    const auto writeParams = [](const std::string& json) {
        std::ofstream(sonvale::sonvaleDataDir() / "params.json") << json;
        ASSERT_TRUE(TQKitRemoteParamsLoad());
    };
    struct Case {
        const char* params; // nullptr: none loaded
        bool quitting;
        bool controllerSays;
        QByteArray action;
        bool enabled;
        bool visible;
    };
    const Case cases[] = {
        {nullptr, false, true, "checkForUpdates:", true, false},
        {R"({"TQCAppVersion": 429, "TQKitUpdateAvailable": 1})", false, true, "checkForUpdates:", true, false},
        {R"({"TQCAppVersion": 430})", false, true, "checkForUpdates:", true, false},
        {R"({"TQCAppVersion": 430, "TQKitUpdateAvailable": 1})", false, true, "checkForUpdates:", true, true},
        {R"({"TQCAppVersion": 430, "TQKitUpdateAvailable": 1})", true, true, "checkForUpdates:", false, true},
        {nullptr, false, false, "paste:", false, true},
        {nullptr, false, true, "delegateAction:", true, true},
        {nullptr, false, false, "closeAllCustom:", false, true},
        {nullptr, true, true, "paste:", false, true},
        {nullptr, false, false, "showHelp:", true, true},
        {nullptr, true, false, "showHelp:", false, true},
    };
    for (const Case& c : cases) {
        if (c.params)
            writeParams(c.params);
        controller_->quitting = c.quitting;
        controller_->itemsValid = c.controllerSays;
        const std::unique_ptr<QAction> item = TQKitMakeMenuItem(u"Item"_s, c.action);
        EXPECT_EQ(delegate_.validateMenuItem(item.get()), c.enabled) << c.action.constData() << " " << (c.params ? c.params : "");
        EXPECT_EQ(item->isVisible(), c.visible) << c.action.constData() << " " << (c.params ? c.params : "");
    }
}

TEST_F(TQCAppDelegateTest, QuitAndReopenFollowTheController)
{
    EXPECT_TRUE(delegate_.applicationShouldHandleReopenHasVisibleWindows(false));
    EXPECT_FALSE(window_->isVisible()); // not before the launch has finished

    delegate_.applicationDidFinishLaunching();
    EXPECT_TRUE(delegate_.applicationShouldHandleReopenHasVisibleWindows(false));
    EXPECT_TRUE(window_->isVisible());

    // A quit request while conversions run: cancelled, and the controller takes over.
    controller_->quitAnswer = 0;
    EXPECT_EQ(delegate_.applicationShouldTerminate(), 0);
    EXPECT_EQ(controller_->calls.last(), u"closeAndRequestQuitApp"_s);
    EXPECT_FALSE(delegate_.applicationShouldTerminateAfterLastWindowClosed());

    controller_->quitting = true;
    controller_->calls.clear();
    EXPECT_EQ(delegate_.applicationShouldTerminate(), 1);
    EXPECT_TRUE(controller_->calls.isEmpty());
    EXPECT_TRUE(delegate_.applicationShouldTerminateAfterLastWindowClosed());
}

TEST_F(TQCAppDelegateTest, HelpCommandsCountAsUsageOnceTheParametersAreLoaded)
{
    std::ofstream(sonvale::sonvaleDataDir() / "params.json") << "{}";
    ASSERT_TRUE(TQKitRemoteParamsLoad());
    delegate_.applicationDidFinishLaunching();
    QAction item(u"Guides"_s);
    TQMenuItemPerformer::setupMenuItemWithTag(&item, 0); // a command that does nothing
    const size_t before = TQAnalyticsPostedEvents().size();
    item.trigger();
    const std::vector<std::string> events = TQAnalyticsPostedEvents();
    ASSERT_EQ(events.size(), before + 1);
    EXPECT_EQ(events.back(), "ae_cnv_page_appconf");
}

// Linux offers no Dock to come back from: closing the last window quits, through the quit
// request, which asks about running conversions first.
TEST(TQCAppLastWindowTest, ClosingTheLastWindowQuitsThroughTheQuitRequest)
{
    sonvale::test::TempHome home;
    const std::unique_ptr<TQKitAppDelegate> delegate = TQCAppLoadMainInterface();
    auto* controller = static_cast<TQCAppDelegate*>(delegate.get())->mainWindowController();
    QWidget* window = delegate->window();
    window->show();
    delegate->applicationDidFinishLaunching();
    sonvale::test::pumpEvents();

    window->close();
    EXPECT_TRUE(TQKitAppLastWindowClosed(*delegate));
    EXPECT_TRUE(controller->appQuitInProgress());
}

TEST(TQCAppMainInterfaceTest, MainWindowIsShownWithItsTitle)
{
    sonvale::test::TempHome home;
    const std::unique_ptr<TQKitAppDelegate> delegate = TQCAppLoadMainInterface();
    QWidget* window = delegate->window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), u"Sonvale"_s);
    EXPECT_FALSE(window->windowIcon().pixmap(64).isNull()) << "the application's own icon";
    window->show();
    delegate->applicationDidFinishLaunching();
    sonvale::test::pumpEvents();
    EXPECT_FALSE(sonvale::test::saveScreenshot(window, u"main-window"_s).empty());
}

} // namespace
