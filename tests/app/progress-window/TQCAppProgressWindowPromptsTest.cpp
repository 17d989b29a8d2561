#include "app/progress-window/TQCAppProgressWindowPrompts.h"

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/tqkit-ui/TQKitAlertRequest.h"
#include "platform/tqkit-ui/TQKitReachability.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/app/progress-window/ProgressWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"
#include "tests/support/QtTestSupport.h"

#include <filesystem>
#include <fstream>

using namespace Qt::StringLiterals;
namespace engine = sonvale::test::engine;

namespace sonvale::test {
namespace {

constexpr int64_t kNow = 5'000'000'000; // past the 32-bit range on purpose

class ProgressWindowPromptsTest : public ProgressWindowFixture {
protected:
    // A window whose questions see the clock at `now`.
    std::unique_ptr<TQCAppProgressWindowController> openAt(int64_t now, const QStringList& paths,
                                                           const std::function<void(TQTaskInfoRecord&)>& configure)
    {
        auto controller = openWindow(paths, configure);
        controller->prompts().setClock([now] { return now; });
        return controller;
    }

    static TQTaskInfoRecord recordOf(const TQCAppProgressWindowController& controller)
    {
        TQTaskInfoRecord record;
        TQKitConversionListGetTaskInfo(controller.list(), &record);
        return record;
    }

    bool waitUntilClosed(const TQCAppProgressWindowController& controller)
    {
        return pumpUntil([&] { return delegate_.closed.contains(const_cast<TQCAppProgressWindowController*>(&controller)); });
    }
};

const auto limitOf1500 = [](TQTaskInfoRecord& record) { record.limitDurationMs = 1500; };
const auto tagsFromNetwork = [](TQTaskInfoRecord& record) { record.loadTagsFromNetwork = true; };

// The network as the system's monitor would report it.
class NetworkState final : public TQKitReachability {
public:
    explicit NetworkState(bool reachable) : reachable_(reachable) { install(this); }
    ~NetworkState() override { install(nullptr); }
    bool isReachable() const override { return reachable_; }

private:
    bool reachable_;
};

TEST_F(ProgressWindowPromptsTest, DurationLimitIsAskedAndContinueWithTheBoxSuppressesIt)
{
    scriptedResponder().answerTitle(u"Limit Duration"_s, {kTQKitAlertDefaultButton, true});
    auto first = openAt(kNow, {addSource("a.wav")}, limitOf1500);
    ASSERT_TRUE(waitUntilStarted(*first));
    ASSERT_EQ(scriptedResponder().requests().size(), 1);
    const TQKitAlertRequest& asked = scriptedResponder().requests().front();
    EXPECT_EQ(asked.title, u"Limit Duration"_s);
    EXPECT_TRUE(asked.message.contains(u"limited to 1 seconds"_s));
    EXPECT_EQ(asked.parent, first->window());
    EXPECT_EQ(TQKitSettingReadInt64("TQCSettingConfirmation", "TQCProgressWindowShowLimitDurationPrompt", 0), kNow);

    // The rest of the process asks no more.
    auto second = openAt(kNow + 7200, {addSource("b.wav")}, limitOf1500);
    ASSERT_TRUE(waitUntilStarted(*second));
    EXPECT_EQ(scriptedResponder().requests().size(), 1);
}

TEST_F(ProgressWindowPromptsTest, AStoredAnswerSuppressesTheDurationLimitForOneHour)
{
    // As a previous run left it.
    TQKitSettingWriteInt64("TQCSettingConfirmation", "TQCProgressWindowShowLimitDurationPrompt", kNow);
    auto withinTheHour = openAt(kNow + 3599, {addSource("a.wav")}, limitOf1500);
    ASSERT_TRUE(waitUntilStarted(*withinTheHour));
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());

    auto anHourLater = openAt(kNow + 3600, {addSource("b.wav")}, limitOf1500);
    ASSERT_TRUE(waitUntilStarted(*anHourLater));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"Limit Duration"_s});
    // Continue without the box clears the stamp.
    EXPECT_EQ(TQKitSettingReadInt64("TQCSettingConfirmation", "TQCProgressWindowShowLimitDurationPrompt", -1), 0);
}

TEST_F(ProgressWindowPromptsTest, DurationLimitStopClosesAndSettingsOpensTheEffectsPageBesideTheWindow)
{
    QString opened;
    const auto opener = [&opened](const QString& page, const QString&) { opened = page; };
    scriptedResponder().answerTitle(u"Limit Duration"_s, {kTQKitAlertOtherButton, false});
    auto stopped = openAt(kNow, {addSource("a.wav")}, limitOf1500);
    stopped->prompts().setPreferencesPageOpener(opener);
    ASSERT_TRUE(waitUntilClosed(*stopped));
    pumpEvents();
    EXPECT_FALSE(wasStarted(stopped->list()));
    EXPECT_TRUE(opened.isEmpty());

    // "Settings..." ends the batch too, but its window stays to show what was stopped.
    scriptedResponder().answerTitle(u"Limit Duration"_s, {kTQKitAlertAlternateButton, false});
    auto settings = openAt(kNow, {addSource("b.wav")}, limitOf1500);
    settings->prompts().setPreferencesPageOpener(opener);
    ASSERT_TRUE(pumpUntil([&] { return settings->statusBottom()->text() == u"Finished"_s; }));
    EXPECT_EQ(opened, u"Effects"_s);
    EXPECT_FALSE(wasStarted(settings->list()));
    EXPECT_TRUE(settings->window()->isVisible());
    EXPECT_EQ(settings->statusTop()->text(), u"Conversion has been stopped"_s);
    // The worker ends either by closing the window or by this summary, never both.
    pumpEvents();
    EXPECT_FALSE(delegate_.closed.contains(settings.get()));

    // Closing it then asks nothing more.
    settings->closeWindowWithPrompt();
    EXPECT_TRUE(delegate_.closed.contains(settings.get()));
    EXPECT_EQ(scriptedResponder().requests().size(), 2);
}

TEST_F(ProgressWindowPromptsTest, NoWarningForLimitsUnderOneSecond)
{
    auto controller = openAt(kNow, {addSource("a.wav")}, [](TQTaskInfoRecord& record) { record.limitDurationMs = -999; });
    ASSERT_TRUE(waitUntilStarted(*controller));
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());
}

TEST_F(ProgressWindowPromptsTest, MoveToBinIsAskedWithItsTexts)
{
    scriptedResponder().answerTitle(u"Source Files will be moved to Bin"_s, {kTQKitAlertDefaultButton, true});
    const auto moving = [](TQTaskInfoRecord& record) { record.moveToTrashSourceFiles = true; };
    auto controller = openAt(kNow, {addSource("a.wav")}, moving);
    ASSERT_TRUE(waitUntilStarted(*controller));
    ASSERT_EQ(scriptedResponder().requests().size(), 1);
    const TQKitAlertRequest& asked = scriptedResponder().requests().front();
    EXPECT_TRUE(asked.message.startsWith(u"'Move source files to Bin...' has been enabled in Settings / General."_s));
    QStringList buttons;
    for (const auto& button : asked.buttons)
        buttons.append(button.title);
    EXPECT_EQ(buttons, (QStringList{u"Continue"_s, u"Settings..."_s, u"Stop"_s}));
    EXPECT_EQ(TQKitSettingReadInt64("TQCSettingConfirmation", "TQCProgressWindowMoveToTrashPrompt", 0), kNow);

    // Within the hour the stamp keeps it quiet; "Stop" then closes a later window.
    auto quiet = openAt(kNow + 60, {addSource("b.wav")}, moving);
    ASSERT_TRUE(waitUntilStarted(*quiet));
    EXPECT_EQ(scriptedResponder().requests().size(), 1);

    scriptedResponder().answerTitle(u"Source Files will be moved to Bin"_s, {kTQKitAlertOtherButton, false});
    auto stopped = openAt(kNow + 3600, {addSource("c.wav")}, moving);
    ASSERT_TRUE(waitUntilClosed(*stopped));
    EXPECT_EQ(scriptedResponder().requests().size(), 2);
}

TEST_F(ProgressWindowPromptsTest, UnwritableSourceFolderAnsweredYesConvertsIntoTheDefaultFolder)
{
    const QString source = addSource("a.wav");
    UnwritableFolder readOnly(sources());
    if (!readOnly.usable())
        GTEST_SKIP() << "this process can write into any folder here";
    auto controller = openAt(kNow, {source}, [](TQTaskInfoRecord& record) { record.asSourceFolder = true; });
    ASSERT_TRUE(waitUntilStarted(*controller));
    ASSERT_EQ(scriptedResponder().titles(), QStringList{u"Current folder or subfolders are not writable"_s});
    EXPECT_EQ(scriptedResponder().requests().front().buttons.at(1).title, u"Show in File Manager..."_s);
    const TQTaskInfoRecord record = recordOf(*controller);
    EXPECT_FALSE(record.asSourceFolder);
    EXPECT_EQ(controller->outputDirectoryName(), u"Converted"_s);
}

TEST_F(ProgressWindowPromptsTest, UnwritableSourceFolderAnsweredStopClosesTheWindow)
{
    const QString source = addSource("a.wav");
    UnwritableFolder readOnly(sources());
    if (!readOnly.usable())
        GTEST_SKIP() << "this process can write into any folder here";
    scriptedResponder().answerTitle(u"Current folder or subfolders are not writable"_s, {kTQKitAlertOtherButton, false});
    auto controller = openAt(kNow, {source}, [](TQTaskInfoRecord& record) { record.asSourceFolder = true; });
    ASSERT_TRUE(waitUntilClosed(*controller));
    EXPECT_FALSE(wasStarted(controller->list()));
}

TEST_F(ProgressWindowPromptsTest, OfflineDownloadsAndTagLookupsAreAskedAboutOncePerWindow)
{
    const NetworkState offline(false);
    // A download and a tag lookup in one batch: only the first warning is shown.
    auto both = openAt(kNow, {addSource("a.wav"), u"https://example.org/live.mp3"_s}, tagsFromNetwork);
    ASSERT_TRUE(waitUntilStarted(*both));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"Network Downloader"_s});
    EXPECT_EQ(scriptedResponder().requests().front().message,
              u"Downloading may fail because your system is currently offline. \n\nPress Continue to try "
              u"conversion in offline mode."_s);
    EXPECT_FALSE(recordOf(*both).loadTagsFromNetwork) << "no lookup while offline";

    scriptedResponder().reset();
    auto tags = openAt(kNow, {addSource("b.wav")}, tagsFromNetwork);
    ASSERT_TRUE(waitUntilStarted(*tags));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"Load Missing Tags From Network"_s});

    scriptedResponder().reset();
    scriptedResponder().answerTitle(u"Network Downloader"_s, {kTQKitAlertAlternateButton, false});
    auto stopped = openAt(kNow, {u"https://example.org/live.mp3"_s}, {});
    ASSERT_TRUE(waitUntilClosed(*stopped)) << "Stop ends the batch";
    EXPECT_FALSE(wasStarted(stopped->list()));
}

TEST_F(ProgressWindowPromptsTest, OnlineBatchesAskNoNetworkQuestionAndOfferMissingArtworkOnlyWhileOnline)
{
    engine::setArtworkDownloadUseful(true);
    {
        const NetworkState online(true);
        auto controller = openAt(kNow, {addSource("a.wav"), u"https://example.org/live.mp3"_s}, {});
        ASSERT_TRUE(waitUntilStarted(*controller));
        EXPECT_EQ(scriptedResponder().titles(), QStringList{u"Load Album Artworks"_s});
        EXPECT_TRUE(recordOf(*controller).loadTagsFromNetwork) << "answered Yes";
    }
    scriptedResponder().reset();
    const NetworkState offline(false);
    auto controller = openAt(kNow, {addSource("b.wav")}, {});
    ASSERT_TRUE(waitUntilStarted(*controller));
    EXPECT_TRUE(scriptedResponder().titles().isEmpty()) << "nothing can be downloaded offline";
}

TEST_F(ProgressWindowPromptsTest, NoFilesFoundAcceptingAllFilesConvertsEachOnce)
{
    const std::filesystem::path folder = sources() / "notes";
    std::filesystem::create_directories(folder);
    for (const char* name : {"lyrics.txt", "cover.dat"})
        std::ofstream(folder / name) << "not audio";

    auto controller = openAt(kNow, {QString::fromStdString(folder.string())}, {});
    ASSERT_TRUE(waitUntilStarted(*controller));
    ASSERT_EQ(scriptedResponder().titles(), QStringList{u"No files found"_s});
    EXPECT_EQ(scriptedResponder().requests().front().message,
              u"Could not find supported audio or video files.\n\nWould you like to accept all files for further conversion?"_s);
    EXPECT_TRUE(recordOf(*controller).acceptNonMediaFiles);
    EXPECT_EQ(engine::items(controller->list()).size(), 2u);
    EXPECT_EQ(engine::startedLists().size(), 1u);
}

TEST_F(ProgressWindowPromptsTest, AcceptAllFilesRestartSkipsFilesAlreadyListed)
{
    // A media file and a text file: the first pass lists the media file but finds nothing to
    // accept when the engine counts no accepted item; the restart must not list it again.
    const QString audio = addSource("a.wav");
    const std::filesystem::path text = sources() / "b.txt";
    std::ofstream(text) << "text";
    auto controller = openWindow({audio, QString::fromStdString(text.string())});
    TQKitConversionList* list = controller->list();
    ASSERT_TRUE(waitUntilStarted(*controller));
    // Same sources once more, as the accept-all pass gives them.
    controller->startConvertProcessImpl({audio, QString::fromStdString(text.string())}, false);
    EXPECT_TRUE(pumpUntil([list] { return engine::startedLists().size() == 2; }));
    EXPECT_EQ(engine::items(list).size(), 2u);
}

TEST_F(ProgressWindowPromptsTest, NoFilesFoundAnsweredNoClosesTheWindow)
{
    const std::filesystem::path folder = sources() / "empty";
    std::filesystem::create_directories(folder);
    scriptedResponder().answerTitle(u"No files found"_s, {kTQKitQuestionDeclined, false});
    auto controller = openAt(kNow, {QString::fromStdString(folder.string())}, {});
    ASSERT_TRUE(waitUntilClosed(*controller));
    EXPECT_FALSE(wasStarted(controller->list()));
}

} // namespace
} // namespace sonvale::test
