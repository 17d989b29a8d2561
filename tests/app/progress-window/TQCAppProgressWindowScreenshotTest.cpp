#include "app/progress-window/TQCAppProgressWindowController.h"

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowDetailsList.h"
#include "tests/app/progress-window/ProgressWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"
#include "tests/support/QtTestSupport.h"

#include <QApplication>

#include <filesystem>
#include <fstream>

using namespace Qt::StringLiterals;
namespace engine = sonvale::test::engine;

namespace sonvale::test {
namespace {

class ProgressWindowScreenshotTest : public ProgressWindowFixture,
                                     public ::testing::WithParamInterface<bool /* dark */> {
protected:
    void SetUp() override
    {
        ProgressWindowFixture::SetUp();
        if (GetParam())
            QApplication::setPalette(darkPalette());
    }
    void TearDown() override
    {
        QApplication::setPalette(QPalette());
        ProgressWindowFixture::TearDown();
    }
    QString suffix() const { return GetParam() ? u"dark"_s : u"light"_s; }
};

TEST_P(ProgressWindowScreenshotTest, ConvertingAndFinished)
{
    QStringList paths;
    for (const char* name : {"01 - Morning Light.wav", "02 - Harbour Walk.wav", "03 - Paper Boats.wav",
                             "04 - Late Train.wav", "05 - Quiet Hours.wav", "06 - Lanterns.wav"})
        paths.append(addSource(name));
    auto controller = openWindow(paths);
    ASSERT_TRUE(waitUntilStarted(*controller));
    TQKitConversionList* list = controller->list();
    const auto items = engine::items(list);
    const auto resultOf = [this](const std::string& name) {
        const auto file = destination() / name;
        writeWav(file, 0.01);
        return file.string();
    };

    int32_t converting = 2;
    engine::setListState(list, converting);
    engine::notify(list, 2, &converting);
    engine::completeItem(items[0], "01 - Morning Light.mp3", 0x42, resultOf("01 - Morning Light.mp3"));
    engine::completeItem(items[1], "Unsupported audio format", 0x80);
    engine::setItemStatus(items[2], 4);
    engine::setItemProgress(items[2], 0.62);
    engine::setItemStatus(items[3], 6);
    engine::notify(list, 4);
    double progress = 0.45;
    engine::notify(list, 0, &progress);
    pumpEvents();
    EXPECT_FALSE(saveScreenshot(controller->window(), u"progress-window-converting-"_s + suffix()).empty());

    engine::completeItem(items[2], "03 - Paper Boats.mp3", 0x42, resultOf("03 - Paper Boats.mp3"));
    engine::completeItem(items[3], "04 - Late Train.mp3", 0x42, resultOf("04 - Late Train.mp3"));
    engine::completeItem(items[4], "Skipped: already converted", 0x10);
    engine::completeItem(items[5], "06 - Lanterns.mp3", 0x42, resultOf("06 - Lanterns.mp3"));
    int32_t finished = 4;
    engine::setListState(list, finished);
    engine::notify(list, 2, &finished);
    pumpEvents();
    EXPECT_EQ(controller->statusTop()->text(), u"Converted 4 of 6 files to \"Converted\""_s);
    EXPECT_FALSE(saveScreenshot(controller->window(), u"progress-window-finished-"_s + suffix()).empty());
}

TEST_P(ProgressWindowScreenshotTest, FinishedAllConvertedAtBothFontSizes)
{
    // An installed Lyrebook turns the bottom line into its link, beside the export to Music.
    const auto applications = home_.path() / ".local/share/applications";
    std::filesystem::create_directories(applications);
    std::ofstream(applications / "com.telquor.Lyrebook.desktop") << "[Desktop Entry]\nType=Application\nName=Lyrebook\nExec=true %F\n";
    const QFont original = QApplication::font();
    for (const int points : {0, 11}) {
        QFont font = original;
        if (points)
            font.setPointSize(points);
        QApplication::setFont(font);
        TQCAppProgressWindowDetailsList::setExpandInitially(false);
        QStringList paths;
        for (const char* name : {"01 - Morning Light.wav", "02 - Harbour Walk.wav", "03 - Paper Boats.wav"})
            paths.append(addSource(name));
        auto controller = openWindow(paths);
        ASSERT_TRUE(waitUntilStarted(*controller));
        const auto items = engine::items(controller->list());
        for (size_t i = 0; i < items.size(); ++i) {
            const auto file = destination() / ("track" + std::to_string(i) + ".m4a");
            writeWav(file, 0.01);
            engine::completeItem(items[i], file.filename().string(), 0x42, file.string());
        }
        int32_t finished = 4;
        engine::setListState(controller->list(), finished);
        engine::notify(controller->list(), 2, &finished);
        pumpEvents();
        EXPECT_EQ(controller->statusBottom()->text(), u"Edit Tags"_s);
        EXPECT_FALSE(controller->sendToiTunesLink()->isHidden());
        EXPECT_FALSE(controller->detailsList().isExpanded());
        const QString size = points ? u"-11pt"_s : QString();
        EXPECT_FALSE(saveScreenshot(controller->window(), u"progress-window-all-converted-"_s + suffix() + size).empty());
        controller->detailsList().expand();
        pumpEvents();
        EXPECT_FALSE(saveScreenshot(controller->window(), u"progress-window-all-converted-open-"_s + suffix() + size).empty());
    }
    QApplication::setFont(original);
}

INSTANTIATE_TEST_SUITE_P(Palettes, ProgressWindowScreenshotTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? std::string("Dark") : std::string("Light"); });

} // namespace
} // namespace sonvale::test
