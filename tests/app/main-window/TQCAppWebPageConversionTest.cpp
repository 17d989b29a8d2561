// Web page addresses entered in the Enter URL sheet, converted by the real engine from a server on
// the loopback interface: the table grows by the page's media, links back to the page, and a page
// without audio says so in words.

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "app/progress-window/TQCAppProgressWindowTableCellViewFileName.h"
#include "app/progress-window/TQCAppProgressWindowTableCellViewStatus.h"
#include "app/progress-window/TQCAppProgressWindowTableView.h"
#include "platform/system/XdgPaths.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/app/support/ProgressWindowTestSupport.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/platform/engine/LoopbackServer.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include <atomic>
#include <fstream>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace sonvale::test {
namespace {

class TQCAppWebPageConversionTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        const std::filesystem::path wav = home_.path() / "served.wav";
        writeToneWav(wav, {.seconds = 1.0});
        std::string song;
        {
            std::ifstream in(wav, std::ios::binary);
            song.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        for (const char* path : {"/music/first.wav", "/music/second.wav"})
            server_.http.Get(path, [this, song](const httplib::Request&, httplib::Response& res) {
                ++mediaRequests_;
                res.set_content(song, "audio/wav");
            });
        const std::pair<const char*, const char*> pages[] = {
            {"/music/live-session.html",
             R"(<html><head><title>Live Session</title></head><body>
                <audio src="first.wav"></audio><audio src="second.wav"></audio></body></html>)"},
            {"/music/notes.html", "<html><head><title>Notes</title></head><body><p>No audio.</p></body></html>"},
        };
        for (const auto& [path, text] : pages)
            server_.http.Get(path, [text](const httplib::Request&, httplib::Response& res) {
                res.set_content(text, "text/html; charset=utf-8");
            });
        server_.start();
    }
    void TearDown() override
    {
        // The parameters of the process go back to none set.
        std::filesystem::create_directories(sonvale::sonvaleDataDir());
        std::ofstream(sonvale::sonvaleDataDir() / "params.json") << "{}";
        TQKitRemoteParamsLoad();
    }

    // Enters `url` in the Enter URL sheet and waits for its batch to finish.
    TQCAppProgressWindowController* convertEntered(const QString& url)
    {
        scriptedResponder().setRule([url](const TQKitAlertRequest& request) -> TQKitAlertAnswer {
            if (request.title == u"Enter URL"_s)
                request.accessoryView->findChild<QLineEdit*>(u"urlTextField"_s)->setText(url);
            return {request.buttons.first().code, false};
        });
        window_->enterURLButton()->click();
        if (!waitForBatches(1))
            return nullptr;
        TQCAppProgressWindowController* batch = controller_->progressWindowControllers().first();
        if (!pumpUntil([&] { return batch->statusBottom()->text() == u"Finished"_s; }, 2min))
            return nullptr;
        return batch;
    }

    QString url(const char* path) const { return QString::fromStdString(server_.url(path)); }

    TQCAppProgressWindowTableCellViewFileName* nameCell(TQCAppProgressWindowController* batch, int row) const
    {
        return qobject_cast<TQCAppProgressWindowTableCellViewFileName*>(
            batch->tableView()->cellView(row, TQCAppProgressWindowTableView::FileNameColumn));
    }
    TQCAppProgressWindowTableCellViewStatus* statusCell(TQCAppProgressWindowController* batch, int row) const
    {
        return qobject_cast<TQCAppProgressWindowTableCellViewStatus*>(
            batch->tableView()->cellView(row, TQCAppProgressWindowTableView::StatusColumn));
    }

    LoopbackServer server_;
    std::atomic<int> mediaRequests_{0};
};

TEST_F(TQCAppWebPageConversionTest, APageWithTwoMediaGrowsTheTableAndEachRowLinksToThePage)
{
    load();
    QApplication::clipboard()->clear();
    const QString page = url("/music/live-session.html");
    TQCAppProgressWindowController* batch = convertEntered(page);
    ASSERT_NE(batch, nullptr);

    // The page's second medium joined the list while it ran; the table shows both.
    ASSERT_EQ(batch->tableView()->rowCount(), 2);
    EXPECT_EQ(batch->statusTop()->text(), u"Converted 2 of 2 files to \"Sonvale\""_s);
    EXPECT_EQ(QDir(defaultFolder()).entryList(QDir::Files).size(), 2) << QDir(defaultFolder()).entryList().join(u", "_s).toStdString();
    EXPECT_EQ(mediaRequests_.load(), 2);

    OpenedUrls opened;
    for (int row = 0; row < 2; ++row) {
        SCOPED_TRACE(row);
        TQCAppProgressWindowTableCellViewFileName* name = nameCell(batch, row);
        ASSERT_NE(name, nullptr);
        EXPECT_TRUE(name->hyperlinkEnabled());
        EXPECT_EQ(name->URLs(), QList<QUrl>{QUrl(page)});
        name->hyperlinkPressed();
        EXPECT_FALSE(statusCell(batch, row)->textField()->text().startsWith(u"Failed"_s));
    }
    EXPECT_EQ(opened.urls, (QStringList{page, page}));
}

TEST_F(TQCAppWebPageConversionTest, APageWithoutAudioFailsInWordsShownWhole)
{
    load();
    QApplication::clipboard()->clear();
    TQCAppProgressWindowController* batch = convertEntered(url("/music/notes.html"));
    ASSERT_NE(batch, nullptr);
    ASSERT_EQ(batch->tableView()->rowCount(), 1);
    TQNSTextFieldLink* status = statusCell(batch, 0)->textField();
    EXPECT_EQ(status->text(), u"Failed: no audio found on this web page"_s);
    // The widened column reaches the cell with the next layout pass.
    EXPECT_TRUE(pumpUntil([&] { return !status->isTruncated(); })) << "the finished batch widens the column for it";
}

// "TQCAppNoYD" set: the worker passes the flag and the page fails before any of its media is asked for.
TEST_F(TQCAppWebPageConversionTest, TheNoPagesParameterStopsThePageBeforeItsMedia)
{
    std::filesystem::create_directories(sonvale::sonvaleDataDir());
    std::ofstream(sonvale::sonvaleDataDir() / "params.json") << R"({"TQCAppNoYD": 1})";
    ASSERT_TRUE(TQKitRemoteParamsLoad());
    load();
    QApplication::clipboard()->clear();
    TQCAppProgressWindowController* batch = convertEntered(url("/music/live-session.html"));
    ASSERT_NE(batch, nullptr);
    ASSERT_EQ(batch->tableView()->rowCount(), 1);
    EXPECT_EQ(statusCell(batch, 0)->textField()->text(),
              u"Failed: the address is a web page, and taking audio from web pages is turned off"_s);
    EXPECT_EQ(mediaRequests_.load(), 0);
    EXPECT_TRUE(QDir(defaultFolder()).entryList(QDir::Files).isEmpty());
}

// A batch of the two pages as a person sees it, in every look (build/screenshots/): the page's two
// rows, and the failing page's status whole at the window's first size.
class TQCAppWebPageScreenshotTest : public TQCAppWebPageConversionTest,
                                    public ::testing::WithParamInterface<ScreenshotLook> {};

TEST_P(TQCAppWebPageScreenshotTest, TheRowsOfTwoPages)
{
    const ScreenshotLookScope look(GetParam());
    load();
    controller_->startConversionWithFiles({url("/music/live-session.html"), url("/music/notes.html")});
    ASSERT_TRUE(waitForBatches(1));
    TQCAppProgressWindowController* batch = controller_->progressWindowControllers().first();
    ASSERT_TRUE(pumpUntil([&] { return batch->statusBottom()->text() == u"Finished"_s; }, 2min));
    pumpEvents();
    ASSERT_EQ(batch->tableView()->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        TQNSTextFieldLink* status = statusCell(batch, row)->textField();
        EXPECT_FALSE(status->isTruncated()) << status->text().toStdString();
    }
    EXPECT_FALSE(saveScreenshot(batch->window(), u"web-page-batch-"_s + screenshotLookSuffix(GetParam())).empty());
}

INSTANTIATE_TEST_SUITE_P(Looks, TQCAppWebPageScreenshotTest, ::testing::ValuesIn(kScreenshotLooks),
                         [](const auto& info) { return screenshotLookName(info.param); });

} // namespace
} // namespace sonvale::test
