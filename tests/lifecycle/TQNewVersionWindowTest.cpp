#include "lifecycle/TQNewVersionWindowController.h"

#include "platform/system/XdgPaths.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQKitSettings.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <thread>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

namespace fs = std::filesystem;

// Catches what the window asks the desktop to open.
class OpenedUrls final : public QObject {
    Q_OBJECT

public:
    OpenedUrls()
    {
        for (const QString& scheme : {u"http"_s, u"https"_s, u"file"_s})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~OpenedUrls() override
    {
        for (const QString& scheme : {u"http"_s, u"https"_s, u"file"_s})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    QStringList urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url.toString()); }
};

class TQNewVersionWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scriptedResponder().reset();
        server_.Get("/Sonvale.AppImage", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string(200000, 'p'), "application/gzip");
        });
        server_.Get("/Sonvale.tar.gz", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string(1000, 't'), "application/gzip");
        });
        server_.Get("/named", [](const httplib::Request&, httplib::Response& response) {
            response.set_header("Content-Disposition", "attachment; filename=\"../../sonvale-1100.deb\"");
            response.set_content("deb", "application/octet-stream");
        });
        server_.Get("/missing.AppImage", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
            response.set_content("<html>gone</html>", "text/html");
        });
        server_.Get("/portal.AppImage", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<html>sign in</html>", "text/html");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        serving_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    void TearDown() override
    {
        controller_.reset();
        server_.stop();
        serving_.join();
    }

    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

    void useParameters(const std::string& json)
    {
        std::ofstream(sonvale::sonvaleDataDir() / "params.json") << json;
        ASSERT_TRUE(TQKitRemoteParams::shared().load());
    }
    void openWindow(const std::string& moreParameters = "")
    {
        useParameters(R"({"TQKitUpdateAvailable": 1, "TQKitUpdateBuildNumber": 1100,
                          "TQKitUpdateTitleText": "Sonvale 1.1 is available",
                          "TQKitUpdateMessageText": "You have 1.0.21.\\nWould you like to update?",
                          "TQKitUpdatePageURL": "https://sonvale.example/download")" +
                      moreParameters + "}");
        controller_ = TQNewVersionWindowController::controllerWithHTMLTextUrlParentWindow(
            u"<h1>Sonvale 1.1</h1><p><a href=\"#more\">More</a> <a href=\"https://sonvale.example/notes\">Notes</a></p>"
            "<a name=\"more\">Details</a>"_s,
            QUrl(u"https://updates.example/notes.html"_s), nullptr, {.terminate = [this] { ++terminations_; }});
        ASSERT_TRUE(controller_->showInProgress());
        ASSERT_TRUE(pumpUntil([this] { return !controller_->showInProgress(); }));
    }
    fs::path downloads() const { return home_.path() / "Downloads"; }

    TempHome home_;
    httplib::Server server_;
    int port_ = 0;
    std::thread serving_;
    std::unique_ptr<TQNewVersionWindowController> controller_;
    int terminations_ = 0;
};

TEST_F(TQNewVersionWindowTest, TheWindowShowsTheConfiguredTextsOnceItsPageIsLaidOut)
{
    openWindow(R"(, "TQKitUpdateWindowTitle": "Update", "TQKitUpdateWindowSkipText": "-",
                  "TQKitUpdateWindowInstallText": "Update Now")");
    QWidget* window = controller_->window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), u"Update"_s);
    EXPECT_EQ(controller_->textTitle()->text(), u"Sonvale 1.1 is available"_s);
    EXPECT_EQ(controller_->textMessage()->text(), u"You have 1.0.21.\nWould you like to update?"_s);
    EXPECT_FALSE(controller_->skipButtonView()->isVisible());
    EXPECT_EQ(controller_->installButtonView()->text(), u"Update Now"_s);
    EXPECT_TRUE(controller_->installButtonView()->isDefault());
    // The notes sit below the texts and above the buttons.
    const QRect notes = controller_->webView()->geometry();
    EXPECT_GE(notes.top(), controller_->textMessage()->geometry().bottom());
    EXPECT_LE(notes.bottom(), controller_->installButtonView()->geometry().top());
}

TEST_F(TQNewVersionWindowTest, AnchorsStayInThePageAndOtherLinksOpenInTheBrowser)
{
    openWindow();
    const OpenedUrls opened;
    Q_EMIT controller_->webView()->anchorClicked(QUrl(u"#more"_s));
    EXPECT_TRUE(opened.urls.isEmpty());
    Q_EMIT controller_->webView()->anchorClicked(QUrl(u"https://sonvale.example/notes"_s));
    EXPECT_EQ(opened.urls, QStringList{u"https://sonvale.example/notes"_s});
}

TEST_F(TQNewVersionWindowTest, SkipCountsTheBuildAndClosesTheWindow)
{
    openWindow();
    controller_->skipButton();
    EXPECT_FALSE(controller_->window()->isVisible());
    EXPECT_EQ(TQNewVersionWindowController::skipButtonCount(), 1);
    EXPECT_FALSE(TQNewVersionWindowController::skipButtonIsTimeToShowAgain());
}

TEST_F(TQNewVersionWindowTest, InstallDownloadsPlacesAndOpensThePackageThenQuits)
{
    openWindow(R"(, "TQKitUpdateDownloadURL": ")" + url("/Sonvale.AppImage") + R"(")");
    const OpenedUrls opened;
    scriptedResponder().answerTitle(u"Update Sonvale"_s, {kTQKitAlertDefaultButton, false});
    controller_->installButton();
    ASSERT_EQ(scriptedResponder().titles(), QStringList{u"Update Sonvale"_s});
    EXPECT_EQ(scriptedResponder().requests()[0].message, u"Click Continue to quit Sonvale and complete the update."_s);
    ASSERT_TRUE(pumpUntil([&] { return !opened.urls.isEmpty(); }));

    const fs::path placed = downloads() / "Sonvale-1100.AppImage";
    EXPECT_EQ(opened.urls, QStringList{QUrl::fromLocalFile(QString::fromStdString(placed.string())).toString()});
    EXPECT_EQ(fs::file_size(placed), 200000u);
    EXPECT_FALSE(controller_->downloadTaskIsActive());
    ASSERT_TRUE(pumpUntil([this] { return terminations_ == 1; }));

    // A second download does not replace the first package.
    scriptedResponder().answerTitle(u"Update Sonvale"_s, {kTQKitAlertAlternateButton, false});
    controller_->installButton(); // Cancel: nothing happens
    controller_->installButtonStart(3);
    ASSERT_TRUE(pumpUntil([&] { return opened.urls.size() == 2; }));
    EXPECT_TRUE(fs::exists(downloads() / "Sonvale-1100 (2).AppImage"));
    EXPECT_EQ(terminations_, 1);
}

TEST_F(TQNewVersionWindowTest, TheSuggestedNameIsAPlainNameAndKeptWhenItHoldsTheBuild)
{
    openWindow(R"(, "TQKitUpdateDownloadURL": ")" + url("/named") + R"(")");
    const OpenedUrls opened;
    controller_->installButtonStart(3);
    ASSERT_TRUE(pumpUntil([&] { return !opened.urls.isEmpty(); }));
    EXPECT_TRUE(fs::exists(downloads() / "sonvale-1100.deb"));
}

// The build number goes before a compressed tar archive's two extensions, also in the name of a
// second download.
TEST_F(TQNewVersionWindowTest, ATarArchiveKeepsItsExtensionsTogether)
{
    openWindow(R"(, "TQKitUpdateDownloadURL": ")" + url("/Sonvale.tar.gz") + R"(")");
    const OpenedUrls opened;
    controller_->installButtonStart(3);
    ASSERT_TRUE(pumpUntil([&] { return opened.urls.size() == 1; }));
    controller_->installButtonStart(3);
    ASSERT_TRUE(pumpUntil([&] { return opened.urls.size() == 2; }));
    EXPECT_TRUE(fs::exists(downloads() / "Sonvale-1100.tar.gz"));
    EXPECT_TRUE(fs::exists(downloads() / "Sonvale-1100 (2).tar.gz"));
}

TEST_F(TQNewVersionWindowTest, ErrorPagesAreNeitherSavedNorOpened)
{
    const std::pair<const char*, QString> cases[] = {
        {"/missing.AppImage", u"HTTP response code: 404\n\nPlease open the Sonvale page and install it manually."_s},
        {"/portal.AppImage", u"Please open the Sonvale page and install it manually."_s},
    };
    for (const auto& [path, message] : cases) {
        openWindow(R"(, "TQKitUpdateDownloadURL": ")" + url(path) + R"(")");
        const OpenedUrls opened;
        scriptedResponder().reset();
        scriptedResponder().answerTitle(u"Could not download update"_s, {kTQKitAlertAlternateButton, false});
        controller_->installButtonStart(2);
        ASSERT_TRUE(pumpUntil([] { return !scriptedResponder().requests().isEmpty(); })) << path;
        const TQKitAlertRequest& alert = scriptedResponder().requests()[0];
        EXPECT_EQ(alert.title, u"Could not download update"_s);
        EXPECT_EQ(alert.message, message) << path;
        // The alternate button opens the product's page; nothing was saved or opened otherwise.
        ASSERT_TRUE(pumpUntil([&] { return !opened.urls.isEmpty(); }));
        EXPECT_EQ(opened.urls, QStringList{u"https://sonvale.example/download"_s});
        EXPECT_TRUE(!fs::exists(downloads()) || fs::is_empty(downloads())) << path;
        EXPECT_EQ(terminations_, 0);
    }
}

TEST_F(TQNewVersionWindowTest, TheCountdownCountsInTheInstallTitleAndClosingStopsIt)
{
    openWindow(R"(, "TQKitUpdateWindowCountdown": "10")");
    EXPECT_EQ(controller_->installButtonView()->text(), u"Install Update (10)"_s);
    controller_->window()->close();
    EXPECT_EQ(controller_->installButtonView()->text(), u"Install Update"_s);
}

} // namespace
} // namespace sonvale::test

#include "TQNewVersionWindowTest.moc"
