// The end of a batch in its progress window: summary and links, the finishing sound, the reveal in
// the file manager, Lyrebook, the automatic close and the details list, against the engine's
// stand-in with real result files.

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowBackground.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "app/progress-window/TQCAppProgressWindowDetailsList.h"
#include "app/progress-window/TQCAppProgressWindowTableView.h"
#include "platform/tqkit-ui/TQKitSound.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"
#include "platform/tqkit/TQGeneralSettingsRecord.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQTagSettingsRecord.h"
#include "tests/app/progress-window/ProgressWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"
#include "tests/support/QtTestSupport.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QProgressBar>
#include <QToolButton>
#include <QUrl>

#include <fstream>

using namespace Qt::StringLiterals;
namespace fs = std::filesystem;

namespace sonvale::test {
namespace {

// Catches what the application asks the desktop to open (folders and web pages).
class OpenedUrls final : public QObject {
    Q_OBJECT

public:
    OpenedUrls()
    {
        for (const QString& scheme : {u"https"_s, u"file"_s})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~OpenedUrls() override
    {
        for (const QString& scheme : {u"https"_s, u"file"_s})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    QStringList urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url.isLocalFile() ? url.toLocalFile() : url.toString()); }
};

class ProgressWindowCompletionTest : public ProgressWindowFixture {
protected:
    void SetUp() override
    {
        ProgressWindowFixture::SetUp();
        TQKitSetRevealRecorder([this](const QStringList& paths) { reveals_.append(paths); });
        TQKitSetSoundRecorder([this](const QString& name) { sounds_.append(name); });
    }
    void TearDown() override
    {
        TQKitSetRevealRecorder({});
        TQKitSetSoundRecorder({});
        ProgressWindowFixture::TearDown();
    }

    static void changeGeneral(const std::function<void(TQGeneralSettingsRecord&)>& change)
    {
        TQGeneralSettingsRecord record;
        TQKitGeneralSettingsLoad(&record);
        change(record);
        TQKitGeneralSettingsSave(&record);
    }

    // A result file under the destination folder.
    QString result(const std::string& relative) const
    {
        const fs::path path = destination() / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "converted";
        return QString::fromStdString(path.string());
    }

    // Completes one item per entry (an empty result fails it) and reports the finished state.
    static void finish(TQCAppProgressWindowController& controller, const QStringList& results)
    {
        TQKitConversionList* list = controller.list();
        const auto items = engine::items(list);
        for (size_t i = 0; i < items.size(); ++i) {
            const QString path = i < size_t(results.size()) ? results[int(i)] : QString();
            if (path.isEmpty())
                engine::completeItem(items[i], "Failed", 0x80);
            else
                engine::completeItem(items[i], "Converted", 0x42, path.toStdString());
        }
        int32_t finished = TQKitConversionList::Finished;
        engine::setListState(list, finished);
        engine::notify(list, 2, &finished);
    }

    std::unique_ptr<TQCAppProgressWindowController> startedWindow(int sources)
    {
        QStringList paths;
        for (int i = 0; i < sources; ++i)
            paths.append(addSource("source" + std::to_string(i) + ".wav"));
        auto controller = openWindow(paths);
        EXPECT_TRUE(waitUntilStarted(*controller));
        return controller;
    }

    QList<QStringList> reveals_;
    QStringList sounds_;
};

TEST_F(ProgressWindowCompletionTest, TheTopLinkRevealsTheResultsByTheirFolders)
{
    struct Case {
        const char* what;
        std::vector<std::string> results;
        std::vector<std::string> revealed; // selected in the file manager
        std::string opened;                // a folder opened instead
    };
    const std::vector<Case> cases = {
        {"one result: that file", {"Album/a.m4a"}, {"Album/a.m4a"}, {}},
        {"one folder: its files", {"Album/a.m4a", "Album/b.m4a"}, {"Album/a.m4a", "Album/b.m4a"}, {}},
        {"two folders of one parent: the folders", {"Artist/One/a.m4a", "Artist/Two/b.m4a"}, {"Artist/One", "Artist/Two"}, {}},
        {"different parents: their common folder", {"A/One/a.m4a", "B/Two/b.m4a"}, {}, "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reveals_.clear();
        OpenedUrls opened;
        auto controller = startedWindow(int(c.results.size()));
        QStringList results;
        for (const std::string& path : c.results)
            results.append(result(path));
        finish(*controller, results);
        ASSERT_TRUE(controller->statusTop()->hyperLinkEnabled());

        Q_EMIT controller->statusTop()->clicked();
        QStringList expected;
        for (const std::string& path : c.revealed)
            expected.append(QString::fromStdString((destination() / path).string()));
        if (expected.isEmpty()) {
            EXPECT_TRUE(reveals_.isEmpty());
            EXPECT_EQ(opened.urls, QStringList{QString::fromStdString(destination().string())});
        } else {
            EXPECT_EQ(reveals_, QList<QStringList>{expected});
            EXPECT_TRUE(opened.urls.isEmpty());
        }
        fs::remove_all(destination());
        fs::create_directories(destination());
    }
}

TEST_F(ProgressWindowCompletionTest, RevealingResultsThatAreGoneSaysSo)
{
    auto controller = startedWindow(1);
    finish(*controller, {result("gone.m4a")});
    fs::remove(destination() / "gone.m4a");
    controller->showSuccessfullyConvertedItemsInFinder();
    ASSERT_EQ(scriptedResponder().titles(), QStringList{u"Show in File Manager"_s});
    EXPECT_EQ(scriptedResponder().requests().front().message, u"Could not find converted files."_s);
}

TEST_F(ProgressWindowCompletionTest, TheSoundPlaysOnlyWhenSwitchedOnAndNothingElseConverts)
{
    struct Case {
        bool playSound;
        int runningProcesses;
        bool heard;
    };
    for (const Case& c : {Case{false, 0, false}, Case{true, 2, false}, Case{true, 0, true}}) {
        SCOPED_TRACE(::testing::Message() << c.playSound << " " << c.runningProcesses);
        sounds_.clear();
        changeGeneral([&](TQGeneralSettingsRecord& r) { r.playSound = c.playSound; });
        engine::setProcessCount(c.runningProcesses);
        auto controller = startedWindow(1);
        finish(*controller, {result("a.m4a")});
        EXPECT_EQ(sounds_, c.heard ? QStringList{u"TQCAppProgressWindowController_Finished"_s} : QStringList());
    }
}

TEST_F(ProgressWindowCompletionTest, TheWindowClosesByItselfOnlyWhenEverythingSucceededAndNoSheetIsOpen)
{
    struct Case {
        const char* what;
        bool closeProgress;
        bool oneFails;
        bool sheetOpen;
        bool closes;
    };
    const Case cases[] = {
        {"all converted", true, false, false, true},
        {"one failed", true, true, false, false},
        {"a sheet is open", true, false, true, false},
        {"the setting is off", false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        delegate_.closed.clear();
        changeGeneral([&](TQGeneralSettingsRecord& r) { r.closeProgress = c.closeProgress; });
        auto controller = startedWindow(2);
        auto* sheet = new QDialog(controller->window());
        if (c.sheetOpen) {
            ASSERT_TRUE(TQKitWindowSheet::of(controller->window())->attach(sheet));
            sheet->open();
        }
        finish(*controller, {result("a.m4a"), c.oneFails ? QString() : result("b.m4a")});
        EXPECT_EQ(delegate_.closed.size(), c.closes ? 1 : 0);
        EXPECT_EQ(controller->window()->isVisible(), !c.closes);
        delete sheet;
    }
}

TEST_F(ProgressWindowCompletionTest, AFakeLyrebookReceivesTheExportableFiles)
{
    // A desktop entry whose program writes the files it was given to a file.
    const fs::path received = home_.path() / "received.txt";
    const fs::path program = home_.path() / "fake-lyrebook.sh";
    std::ofstream(program) << "#!/bin/sh\nfor f in \"$@\"; do echo \"$f\"; done > '" << received.string() << ".part'\n"
                           << "mv '" << received.string() << ".part' '" << received.string() << "'\n";
    fs::permissions(program, fs::perms::owner_all);
    const fs::path applications = home_.path() / ".local/share/applications";
    fs::create_directories(applications);
    std::ofstream(applications / "com.telquor.Lyrebook.desktop")
        << "[Desktop Entry]\nType=Application\nName=Lyrebook\nExec=\"" << program.string() << "\" %F\n";
    TQTagSettingsRecord tags;
    TQKitTagSettingsLoad(&tags);
    tags.launchLyrebook = true;
    TQKitTagSettingsSave(&tags, 0);

    auto controller = startedWindow(2);
    const QString song = result("Album/song.m4a");
    finish(*controller, {song, result("Album/cover.cue")});
    // The results open by themselves at the end; the bottom line became the link to Lyrebook.
    ASSERT_TRUE(pumpUntil([&] { return fs::exists(received); }));
    std::ifstream in(received);
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(in, line))
        lines.push_back(line);
    EXPECT_EQ(lines, std::vector<std::string>{song.toStdString()});
    EXPECT_EQ(controller->statusBottom()->text(), u"Edit Tags"_s);
    EXPECT_TRUE(controller->statusBottom()->hyperLinkEnabled());
}

TEST_F(ProgressWindowCompletionTest, WithoutLyrebookTheProductPageOpensOnceByItselfAndOnEveryRequest)
{
    OpenedUrls opened;
    auto controller = startedWindow(1);
    finish(*controller, {result("song.m4a")});
    controller->showSuccessfullyConvertedItemsInLyrebookOrForceOpeningPage(false);
    controller->showSuccessfullyConvertedItemsInLyrebookOrForceOpeningPage(false);
    EXPECT_LE(opened.urls.size(), 1); // an earlier window of this process may have shown it already
    const qsizetype automatic = opened.urls.size();
    controller->showSuccessfullyConvertedItemsInLyrebookOrForceOpeningPage(true);
    controller->showSuccessfullyConvertedItemsInLyrebookOrForceOpeningPage(true);
    ASSERT_EQ(opened.urls.size(), automatic + 2);
    EXPECT_TRUE(opened.urls.last().startsWith(u"https://"_s));
}

TEST_F(ProgressWindowCompletionTest, TheFinishedWindowHasNoBlankBand)
{
    auto controller = startedWindow(1);
    QWidget* window = controller->window();
    const int runningMinimum = window->minimumHeight();
    const int barTop = controller->progressIndicator()->y();
    controller->detailsList().collapse();
    finish(*controller, {result("song.m4a")});
    // The bottom line moves up into the place of the hidden bar, and the closed window shrinks.
    EXPECT_EQ(controller->statusBottom()->y(), barTop);
    const QRect details = controller->detailsButton()->geometry();
    EXPECT_EQ(details.y(), barTop);
    EXPECT_LT(details.right(), controller->statusBottom()->x());
    EXPECT_GT(details.left(), controller->srcFilesPanel()->partWithTag(TQCAppProgressWindowBackground::kTagMenuButton)->geometry().right());
    EXPECT_LT(window->minimumHeight(), runningMinimum);
    EXPECT_EQ(window->height(), window->minimumHeight());
    EXPECT_EQ(window->minimumHeight(), controller->srcFilesPanel()->listTop() + 7);
    EXPECT_TRUE(controller->srcFilesPanel()->finishedLayoutState());
}

TEST_F(ProgressWindowCompletionTest, TheDetailsListOpensByItselfWhenAnItemFailsAndItsSizeIsRemembered)
{
    TQCAppProgressWindowDetailsList::setExpandInitially(false);
    auto controller = startedWindow(2);
    QWidget* window = controller->window();
    TQCAppProgressWindowDetailsList& details = controller->detailsList();
    EXPECT_FALSE(details.isExpanded());
    EXPECT_TRUE(controller->detailsButton()->isEnabled());
    // Two rows allow the window to grow by four rows of the table, no more.
    const int rowHeight = controller->tableView()->verticalHeader()->defaultSectionSize();
    EXPECT_EQ(details.maxSize().height(), window->minimumHeight() + 4 * rowHeight + 2);

    finish(*controller, {result("a.m4a"), QString()});
    EXPECT_TRUE(details.isExpanded());
    EXPECT_EQ(window->height(), details.maxSize().height());

    // The size, once the resizing pauses, is what the next window starts with.
    window->resize(700, window->height());
    ASSERT_TRUE(pumpUntil([] { return TQKitSettingReadInt("TQCSetting", "ProgressWindowSizeWidth", 0) == 700; }));
    auto next = openWindow({addSource("next.wav")});
    EXPECT_EQ(next->window()->width(), 700);
    EXPECT_EQ(next->window()->height(), next->window()->minimumHeight());
}

TEST_F(ProgressWindowCompletionTest, TheDetailsButtonTogglesTheListAndRemembersTheChoice)
{
    auto controller = startedWindow(3);
    TQCAppProgressWindowDetailsList& details = controller->detailsList();
    EXPECT_TRUE(details.isExpanded()); // a first window opens its list when the list is ready
    controller->detailsButton()->click();
    EXPECT_FALSE(details.isExpanded());
    EXPECT_FALSE(TQCAppProgressWindowDetailsList::expandInitially());
    controller->detailsButton()->click();
    EXPECT_TRUE(details.isExpanded());
    EXPECT_TRUE(TQCAppProgressWindowDetailsList::expandInitially());

    // A batch where every item succeeded leaves a closed list closed.
    controller->detailsButton()->click();
    finish(*controller, {result("a.m4a"), result("b.m4a"), result("c.m4a")});
    EXPECT_FALSE(details.isExpanded());
}

} // namespace
} // namespace sonvale::test

#include "TQCAppProgressWindowCompletionTest.moc"
