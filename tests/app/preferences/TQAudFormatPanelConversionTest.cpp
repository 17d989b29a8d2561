// The Format page on the real conversion engine: after each change on a panel, the next batch
// writes a file with exactly those settings, read back with FFmpeg.

#include "app/controls/TQNSTextFieldLink.h"
#include "app/preferences/TQAudFormatPanelController.h"
#include "app/preferences/TQAudFormatPanelM4AController.h"
#include "app/preferences/TQAudFormatPanelMP3Controller.h"
#include "app/preferences/TQAudFormatPanelPopUp.h"
#include "app/preferences/TQPreferencesDialogController.h"
#include "app/preferences/TQPreferencesDialogEntryPoints.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/platform/engine/AudioProbe.h"
#include "tests/platform/engine/AudioTestFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QRadioButton>

#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace sonvale::test {
namespace {

// Chooses the item titled `title` as a person does: select it, then the pop-up's action.
void choose(const TQAudFormatPanelPopUp* popUp, const QString& title)
{
    const qsizetype index = popUp->titles().indexOf(title);
    ASSERT_GE(index, 0) << title.toStdString();
    popUp->button()->selectItemAtIndex(static_cast<int>(index));
    popUp->button()->sendAction();
}

// 3 s of stereo 44.1 kHz, 16 bits: a second of near silence, then two tones over a little noise.
// Variable bit rates show in the frame sizes, and a lossless coder can predict it only in part.
void writeSource(const QString& path)
{
    constexpr int kRate = 44100;
    std::vector<double> samples(size_t(3 * kRate) * 2);
    uint32_t noise = 1;
    for (size_t i = 0; i < samples.size() / 2; ++i) {
        const double t = double(i) / kRate;
        for (size_t c = 0; c < 2; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double hiss = (double(noise >> 8) / double(1 << 24) - 0.5) * 0.02;
            const double music = 0.3 * std::sin(2 * std::numbers::pi * (220 + 30 * double(c)) * t)
                                 + 0.15 * std::sin(2 * std::numbers::pi * 1250 * t);
            samples[i * 2 + c] = t < 1.0 ? hiss * 0.05 : music + hiss;
        }
    }
    writeWav(path.toStdString(), samples, kRate, 2);
}

class TQAudFormatPanelConversionTest : public MainWindowFixture {
protected:
    ~TQAudFormatPanelConversionTest() override { TQPreferencesDialogClose(); }

    // The Format page in the dialog, showing the panel of `formatTitle`.
    template <typename Panel>
    Panel* showPanel(const QString& formatTitle)
    {
        TQPreferencesDialogShowPageWithLabel(u"Format"_s, QString());
        auto* page = qobject_cast<TQAudFormatPanelController*>(
            TQPreferencesDialogController::findViewController()->selectedViewController());
        if (!page)
            return nullptr;
        const QList<QAction*> items = page->formatPopupButton()->menu()->actions();
        for (int i = 0; i < items.size(); ++i)
            if (items[i]->text() == formatTitle)
                page->formatPopupButton()->selectItemAtIndex(i);
        page->formatPopupButton()->sendAction();
        return qobject_cast<Panel*>(page->selectedPanel());
    }

    // Closes the dialog and converts a fresh source named `name` in a new batch: the result's
    // path (empty when there is not exactly one), and the item's completion text in `status`.
    QString convert(const QString& name, QString* status = nullptr)
    {
        TQPreferencesDialogClose();
        const QString wav = homePath(name + u".wav"_s);
        writeSource(wav);
        const qsizetype before = controller_->progressWindowControllers().size();
        controller_->startConversionWithFiles({wav});
        if (!waitForBatches(static_cast<int>(before) + 1))
            return {};
        TQCAppProgressWindowController* batch = controller_->progressWindowControllers().last();
        if (!pumpUntil([&] { return batch->statusBottom()->text() == u"Finished"_s; }, 2min))
            return {};
        if (status) {
            std::vector<TQKitConversionListItem*> items;
            TQKitConversionListGetItems(batch->list(), items);
            std::string text;
            if (!items.empty())
                TQKitConversionListItemCompletion(batch->list(), items.front(), &text);
            *status = QString::fromStdString(text);
        }
        const QStringList results = QDir(defaultFolder()).entryList({name + u".*"_s}, QDir::Files);
        return results.size() == 1 ? QDir(defaultFolder()).filePath(results.first()) : QString();
    }
};

// Bit rates over the packets count the coder's delay and LAME's info frame: a few percent.
constexpr double kBitRateTolerance = 0.05;

TEST_F(TQAudFormatPanelConversionTest, EachMp3PanelChangeReachesTheNextFile)
{
    load();
    const QString mp3Title = u"MP3 (MPEG Audio Layer 3)"_s;
    auto* mp3 = showPanel<TQAudFormatPanelMP3Controller>(mp3Title);
    ASSERT_NE(mp3, nullptr);
    mp3->bitrateCBRButton()->click();
    choose(mp3->bitrateCBR(), u"128"_s);
    choose(mp3->channels(), u"Mono"_s);
    QString status;
    QString result = convert(u"cbr"_s, &status);
    ASSERT_FALSE(result.isEmpty());
    AudioProbe probe = AudioProbe::of(result.toStdString());
    EXPECT_EQ(probe.codec, "mp3");
    EXPECT_EQ(probe.sampleRate, 44100);
    EXPECT_EQ(probe.channels, 1);
    EXPECT_FALSE(probe.variableBitRate);
    EXPECT_NEAR(double(probe.bitRate), 128000, 128000 * kBitRateTolerance);
    EXPECT_EQ(status.toStdString(), "Converted") << "nothing departs from the choice";

    // A sample rate of 22050 Hz refits 320 kbps on the panel to the most it carries.
    mp3 = showPanel<TQAudFormatPanelMP3Controller>(mp3Title);
    choose(mp3->bitrateCBR(), u"320"_s);
    choose(mp3->channels(), u"Stereo"_s);
    choose(mp3->sampleRate(), u"22050 Hz"_s);
    result = convert(u"refit"_s, &status);
    ASSERT_FALSE(result.isEmpty());
    probe = AudioProbe::of(result.toStdString());
    EXPECT_EQ(probe.sampleRate, 22050);
    EXPECT_EQ(probe.channels, 2);
    EXPECT_FALSE(probe.variableBitRate);
    EXPECT_NEAR(double(probe.bitRate), 160000, 160000 * kBitRateTolerance);
    EXPECT_EQ(status.toStdString(), "Converted");

    mp3 = showPanel<TQAudFormatPanelMP3Controller>(mp3Title);
    mp3->bitrateVBRButton()->click();
    choose(mp3->bitrateVBRMin(), u"32"_s);
    choose(mp3->bitrateVBRMax(), u"256"_s);
    choose(mp3->channels(), u"Joint"_s);
    choose(mp3->sampleRate(), u"48000 Hz"_s);
    result = convert(u"vbr"_s);
    ASSERT_FALSE(result.isEmpty());
    probe = AudioProbe::of(result.toStdString());
    EXPECT_EQ(probe.sampleRate, 48000);
    EXPECT_EQ(probe.channels, 2);
    EXPECT_TRUE(probe.variableBitRate);
    EXPECT_LT(probe.bitRate, 256000);
    EXPECT_GT(probe.bitRate, 32000);
}

TEST_F(TQAudFormatPanelConversionTest, AnMp3RateTheSourceCantCarryIsFittedBeforeEncodingAndTheStatusSaysSo)
{
    load();
    auto* mp3 = showPanel<TQAudFormatPanelMP3Controller>(u"MP3 (MPEG Audio Layer 3)"_s);
    ASSERT_NE(mp3, nullptr);
    mp3->bitrateCBRButton()->click();
    choose(mp3->bitrateCBR(), u"16"_s); // the panel locks the channels to mono below 24 kbps
    choose(mp3->sampleRate(), u"As Source"_s);
    QString status;
    const QString result = convert(u"narrow"_s, &status);
    ASSERT_FALSE(result.isEmpty());
    const AudioProbe probe = AudioProbe::of(result.toStdString());
    EXPECT_EQ(probe.sampleRate, 22050) << "44100 Hz can't carry 16 kbps";
    EXPECT_EQ(probe.channels, 1);
    EXPECT_NEAR(double(probe.bitRate), 16000, 16000 * 0.1);
    EXPECT_TRUE(status.startsWith(u"Converted (22050 Hz instead of 44100 Hz, which can't carry 16 kbps"_s))
        << status.toStdString();
}

TEST_F(TQAudFormatPanelConversionTest, EachM4aPanelChangeReachesTheNextFile)
{
    load();
    const QString m4aTitle = u"M4A (MPEG-4 Audio)"_s;
    auto* m4a = showPanel<TQAudFormatPanelM4AController>(m4aTitle);
    ASSERT_NE(m4a, nullptr);
    choose(m4a->format(), u"AAC LC (Low Complexity AAC)"_s);
    choose(m4a->bitRate(), u"96"_s);
    choose(m4a->bitRateMode(), u"Average"_s);
    choose(m4a->channels(), u"Mono"_s);
    choose(m4a->sampleRate(), u"32000 Hz"_s);
    QString status;
    QString result = convert(u"lc"_s, &status);
    ASSERT_FALSE(result.isEmpty());
    AudioProbe probe = AudioProbe::of(result.toStdString());
    EXPECT_EQ(probe.codec, "aac");
    EXPECT_EQ(probe.profile, "LC");
    EXPECT_EQ(probe.sampleRate, 32000);
    EXPECT_EQ(probe.channels, 1);
    EXPECT_NEAR(double(probe.bitRate), 96000, 96000 * 0.15);
    EXPECT_EQ(status.toStdString(), "Converted");

    // From AAC LC 320 the panel takes HE v2's largest rate and locks two channels; the encoder
    // makes AAC LC of it and the status says so.
    m4a = showPanel<TQAudFormatPanelM4AController>(m4aTitle);
    choose(m4a->bitRate(), u"320"_s);
    choose(m4a->sampleRate(), u"As Source"_s);
    choose(m4a->format(), u"AAC HE v2 (High Efficiency AAC v2)"_s);
    EXPECT_FALSE(m4a->channels()->button()->isEnabled());
    const int heRate = m4a->bitRate()->value(0);
    ASSERT_GT(heRate, 0);
    result = convert(u"hev2"_s, &status);
    ASSERT_FALSE(result.isEmpty());
    probe = AudioProbe::of(result.toStdString());
    EXPECT_EQ(probe.codec, "aac");
    EXPECT_EQ(probe.profile, "LC");
    EXPECT_EQ(probe.channels, 2);
    EXPECT_EQ(probe.sampleRate, 44100);
    EXPECT_NEAR(double(probe.bitRate), heRate * 1000.0, heRate * 1000.0 * 0.15);
    EXPECT_EQ(status.toStdString(), "Converted (HE-AAC v2 is not available, encoded as AAC-LC)");

    m4a = showPanel<TQAudFormatPanelM4AController>(m4aTitle);
    choose(m4a->format(), u"ALAC (Apple Lossless Audio Codec)"_s);
    choose(m4a->quality(), u"Low"_s);
    choose(m4a->sampleSize(), u"16 bit"_s);
    choose(m4a->channels(), u"Stereo"_s);
    result = convert(u"alac"_s);
    ASSERT_FALSE(result.isEmpty());
    probe = AudioProbe::of(result.toStdString());
    EXPECT_EQ(probe.codec, "alac");
    EXPECT_EQ(probe.channels, 2);
    EXPECT_EQ(probe.sampleRate, 44100);
    EXPECT_EQ(probe.bitsPerSample, 16);
    EXPECT_LT(QFileInfo(result).size(), QFileInfo(homePath(u"alac.wav"_s)).size())
        << "even the lowest level compresses";
}

} // namespace
} // namespace sonvale::test
