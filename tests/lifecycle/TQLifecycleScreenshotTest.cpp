// Pictures of the new-version window, the rating prompt and the crash notice, at the default font
// and at 11 points, in the light and the dark palette, for a person to look at
// (build/screenshots/). The checks are what can be told without looking.

#include "lifecycle/TQAppirater.h"
#include "lifecycle/TQCrashNotice.h"
#include "lifecycle/TQNewVersionWindowController.h"
#include "lifecycle/TQRatingPrompt.h"
#include "platform/system/XdgPaths.h"
#include "platform/tqkit-ui/TQKitDialogResponder.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <fstream>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

class TQLifecycleScreenshotTest : public ::testing::TestWithParam<ScreenshotLook> {
protected:
    QString suffix() const { return u"-"_s + screenshotLookSuffix(GetParam()); }

    // Shows what `show` opens with the real dialogs and saves the message box that appears.
    void shootAlert(const std::function<void()>& show, const QString& name)
    {
        TQKitDialogResponder dialogs;
        TQKitAlertResponder::install(&dialogs);
        const auto restore = qScopeGuard([] { TQKitAlertResponder::install(&scriptedResponder()); });
        show();
        QMessageBox* box = nullptr;
        ASSERT_TRUE(pumpUntil([&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if ((box = qobject_cast<QMessageBox*>(widget)) && box->isVisible())
                    return true;
            return false;
        }));
        pumpEvents();
        EXPECT_FALSE(saveScreenshot(box, name + suffix()).empty());
        box->reject();
        pumpEvents();
    }

    TempHome home_;
    const ScreenshotLookScope look_{GetParam()};
};

TEST_P(TQLifecycleScreenshotTest, NewVersionWindow)
{
    std::ofstream(sonvale::sonvaleDataDir() / "params.json") << R"({"TQKitUpdateAvailable": 1,
        "TQKitUpdateBuildNumber": 1100, "TQKitUpdateTitleText": "A new version of Sonvale is available!",
        "TQKitUpdateMessageText": "Sonvale 1.1 is now available. You have 1.0.21.\\nWould you like to download it now?",
        "TQKitUpdatePageURL": "https://sonvale.example/download"})";
    ASSERT_TRUE(TQKitRemoteParams::shared().load());
    const auto controller = TQNewVersionWindowController::controllerWithHTMLTextUrlParentWindow(
        u"<html><head><title>Sonvale 1.1</title></head><body><h2>What's new in Sonvale 1.1</h2><ul>"
        "<li>Faster MP3 encoding on every core.</li><li>FLAC files keep their cover art.</li>"
        "<li>Fixed: long file names are no longer cut in the progress window.</li></ul>"
        "<p><a href=\"#details\">Details</a></p></body></html>"_s,
        QUrl(u"https://updates.example/notes.html"_s), nullptr);
    ASSERT_TRUE(pumpUntil([&] { return !controller->showInProgress(); }));
    pumpEvents();
    for (QPushButton* button : {controller->skipButtonView(), controller->remindButtonView(), controller->installButtonView()})
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
    EXPECT_GE(controller->textMessage()->height(),
              controller->textMessage()->heightForWidth(controller->textMessage()->width()));
    EXPECT_FALSE(saveScreenshot(controller->window(), u"new-version-window"_s + suffix()).empty());
}

TEST_P(TQLifecycleScreenshotTest, RatingPromptAndCrashNotice)
{
    QWidget window;
    window.show();
    TQRatingPromptSetTitleFormat("Enjoying %@?");
    TQRatingPromptSetQuestion("If you enjoy Sonvale, would you mind taking a moment to rate it? Thanks for your support!");
    TQRatingPromptSetURL("https://sonvale.example/rate");
    shootAlert([&] { TQAppirater::showRatingAlert(&window); }, u"rating-prompt"_s);
    shootAlert([] { TQCrashNoticeShow(); }, u"crash-notice"_s);
}

INSTANTIATE_TEST_SUITE_P(Looks, TQLifecycleScreenshotTest, ::testing::ValuesIn(kScreenshotLooks),
                         [](const auto& info) { return screenshotLookName(info.param); });

} // namespace
} // namespace sonvale::test
