// The Effects page on the real conversion engine: what the page saves is what the next batch
// applies to the audio.

#include "app/controls/TQControlButtonWithSliderInPopover.h"
#include "app/controls/TQControlDoubleSlider.h"
#include "app/controls/TQNSTextFieldLink.h"
#include "app/preferences/TQCAppPreferencesPanelEffects.h"
#include "app/preferences/TQPreferencesDialogController.h"
#include "app/preferences/TQPreferencesDialogEntryPoints.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/platform/engine/AudioTestFiles.h"

#include <QCheckBox>
#include <QDir>

#include <cmath>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace sonvale::test {
namespace {

double rms(const DecodedAudio& audio, double from, double to)
{
    const auto first = static_cast<size_t>(from * audio.sampleRate) * audio.channels;
    const auto last = std::min(audio.samples.size(), static_cast<size_t>(to * audio.sampleRate) * audio.channels);
    double sum = 0;
    for (size_t i = first; i < last; ++i)
        sum += double(audio.samples[i]) * audio.samples[i];
    return last > first ? std::sqrt(sum / double(last - first)) : 0.0;
}

class TQCAppPreferencesEffectsConversionTest : public MainWindowFixture {
protected:
    ~TQCAppPreferencesEffectsConversionTest() override { TQPreferencesDialogClose(); }
};

TEST_F(TQCAppPreferencesEffectsConversionTest, AHalfSecondFadeInSetOnThePageFadesTheNextBatch)
{
    load();
    TQPreferencesDialogShowPageWithLabel(u"Effects"_s, QString());
    auto* page = qobject_cast<TQCAppPreferencesPanelEffects*>(
        TQPreferencesDialogController::findViewController()->selectedViewController());
    ASSERT_NE(page, nullptr);
    page->fadeInCheckBox()->click();
    TQControlDoubleSlider* slider = page->fadeInButton()->slider();
    slider->setValue(static_cast<int>(std::lround((0.5 - slider->minValue()) / slider->altIncrementValue())));
    EXPECT_EQ(page->fadeInButton()->text(), u"0.5 seconds"_s);
    TQPreferencesDialogClose();

    const QString wav = homePath(u"tone.wav"_s);
    writeToneWav(wav.toStdString(), {.frequency = 440.0, .seconds = 1.5, .amplitude = 0.5});
    controller_->startConversionWithFiles({wav});
    ASSERT_TRUE(waitForBatches(1));
    TQCAppProgressWindowController* batch = controller_->progressWindowControllers().first();
    TQTaskInfoRecord record;
    TQKitConversionListGetTaskInfo(batch->list(), &record);
    EXPECT_EQ(record.fadeInMs, 500);
    ASSERT_TRUE(pumpUntil([&] { return batch->statusBottom()->text() == u"Finished"_s; }, 2min));

    const QStringList results = QDir(defaultFolder()).entryList({u"tone.*"_s}, QDir::Files);
    ASSERT_EQ(results.size(), 1);
    const DecodedAudio audio = decodeAudio(QDir(defaultFolder()).filePath(results.first()).toStdString());
    ASSERT_GT(audio.seconds(), 1.4);
    const double steady = rms(audio, 0.8, 1.2);
    EXPECT_NEAR(steady, 0.5 / std::sqrt(2.0), 0.05);
    EXPECT_LT(rms(audio, 0.0, 0.05), 0.1 * steady);
    const double middle = rms(audio, 0.2, 0.3);
    EXPECT_GT(middle, 0.2 * steady);
    EXPECT_LT(middle, 0.8 * steady);
    EXPECT_GT(rms(audio, 0.55, 0.65), 0.9 * steady);
}

} // namespace
} // namespace sonvale::test
