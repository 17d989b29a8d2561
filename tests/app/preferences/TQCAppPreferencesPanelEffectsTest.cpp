#include "app/preferences/TQCAppPreferencesPanelEffects.h"

#include "app/controls/TQControlButtonWithSliderInPopover.h"
#include "app/controls/TQControlDoubleSlider.h"
#include "app/preferences/TQCAppPreferencesPanelEffectsNormalizationMethodViewController.h"
#include "platform/tqkit-ui/TQKitAlertRequest.h"
#include "platform/tqkit/TQEffectsSettingsRecord.h"
#include "platform/tqkit/TQKitSettings.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

using Page = TQCAppPreferencesPanelEffects;

TQEffectsSettingsRecord storedEffects()
{
    TQEffectsSettingsRecord record;
    TQKitEffectsSettingsLoad(&record, 100.0, -18.0);
    return record;
}

QWidget* visiblePopover()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == u"popover"_s && widget->isVisible())
            return widget;
    }
    return nullptr;
}

class TQCAppPreferencesPanelEffectsTest : public ::testing::Test {
protected:
    TQCAppPreferencesPanelEffectsTest() { scriptedResponder().reset(); }
    ~TQCAppPreferencesPanelEffectsTest() override
    {
        if (QWidget* popover = visiblePopover())
            popover->close();
        page_.reset();
        pumpEvents();
    }

    // A page as the dialog shows it, on this test's clock and run state.
    Page& open()
    {
        page_ = std::make_unique<Page>(nullptr, &runState_);
        page_->setClock([this] { return now_; });
        page_->view()->show();
        return *page_;
    }

    TempHome home_;
    Page::RunState runState_;
    int64_t now_ = 1'800'000'000;
    std::unique_ptr<Page> page_;
};

TEST_F(TQCAppPreferencesPanelEffectsTest, ValuesAreStoredInTheRecordsUnits)
{
    EXPECT_DOUBLE_EQ(Page::percentFromDBFS(-1.0), 89.12509381337455);
    EXPECT_DOUBLE_EQ(Page::percentFromDBFS(0.0), 100.0);
    EXPECT_DOUBLE_EQ(Page::percentFromDBFS(-25.0), 5.623413251903491);
    EXPECT_DOUBLE_EQ(Page::dBFSFromPercent(0.0001), -120.0);

    Page& page = open();
    struct Case {
        TQControlButtonWithSliderInPopover* button;
        double shown;
        std::function<double(const TQEffectsSettingsRecord&)> stored;
        double expected;
        double reloaded;
    };
    const Case cases[] = {
        {page.peakTargetLevelButton(), -1.0, [](const auto& r) { return r.peakTargetLevel; }, 89.12509381337455, -1.0},
        {page.peakTargetLevelButton(), 0.0, [](const auto& r) { return r.peakTargetLevel; }, 100.0, 0.0},
        {page.peakTargetLevelButton(), -25.0, [](const auto& r) { return r.peakTargetLevel; }, 5.623413251903491, -25.0},
        {page.r128TargetLevelButton(), -16.0, [](const auto& r) { return r.r128TargetLevel; }, -16.0, -16.0},
        {page.fadeInButton(), 1.26, [](const auto& r) { return r.fadeInDuration; }, 1300, 1.3},
        {page.fadeOutButton(), 10.0, [](const auto& r) { return r.fadeOutDuration; }, 10000, 10.0},
        {page.fadeOutButton(), 0.25, [](const auto& r) { return r.fadeOutDuration; }, 300, 0.3},
        {page.limitDurationButton(), 3.0, [](const auto& r) { return r.limitDurationValue; }, 3000, 3.0},
        {page.limitDurationButton(), 42.5, [](const auto& r) { return r.limitDurationValue; }, 43000, 43.0},
        {page.trimSilenceThresholdButton(), -48.5, [](const auto& r) { return r.trimSilenceThreshold; }, -48.5, -48.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button->objectName().toStdString() + " " + std::to_string(c.shown));
        c.button->setDoubleValue(c.shown);
        ASSERT_TRUE(page.commitEditing());
        EXPECT_NEAR(c.stored(storedEffects()), c.expected, 1e-9);
        page.loadSettings();
        EXPECT_NEAR(c.button->doubleValue(), c.reloaded, 1e-9);
    }
}

TEST_F(TQCAppPreferencesPanelEffectsTest, StoredValuesOutsideTheSlidersLoadAtTheirEnds)
{
    TQEffectsSettingsRecord odd;
    odd.fadeIn = true;
    odd.fadeInDuration = 0;
    odd.fadeOut = true;
    odd.fadeOutDuration = 60'000;
    odd.limitDuration = true;
    odd.limitDurationValue = 0;
    odd.peakTargetLevel = 0.00001;
    odd.r128TargetLevel = -60.0;
    odd.trimSilenceThreshold = 0.0;
    TQKitEffectsSettingsSave(&odd);

    Page& page = open();
    EXPECT_EQ(page.fadeInButton()->text(), u"0.1 seconds"_s);
    EXPECT_EQ(page.fadeOutButton()->text(), u"10.0 seconds"_s);
    EXPECT_EQ(page.limitDurationButton()->text(), u"3 seconds"_s);
    EXPECT_EQ(page.peakTargetLevelButton()->text(), u"-25.0 dBFS"_s);
    EXPECT_EQ(page.r128TargetLevelButton()->text(), u"-25.0 LUFS"_s);
    EXPECT_EQ(page.trimSilenceThresholdButton()->text(), u"-15.0 dBFS"_s);

    page.commitEditing();
    const TQEffectsSettingsRecord saved = storedEffects();
    EXPECT_EQ(saved.fadeInDuration, 100);
    EXPECT_EQ(saved.fadeOutDuration, 10'000);
    EXPECT_EQ(saved.limitDurationValue, 3'000);
    EXPECT_DOUBLE_EQ(saved.trimSilenceThreshold, -15.0);
}

TEST_F(TQCAppPreferencesPanelEffectsTest, TheMethodShowsItsTargetAndNormalizationEnablesBoth)
{
    TQEffectsSettingsRecord stored;
    stored.normalize = true;
    stored.normalizationMethod = kTQNormalizationLoudness;
    stored.r128TargetLevel = -14.0;
    TQKitEffectsSettingsSave(&stored);

    Page& page = open();
    EXPECT_TRUE(page.peakTargetLevelButton()->isHidden());
    EXPECT_FALSE(page.r128TargetLevelButton()->isHidden());
    EXPECT_EQ(page.normalizationMethodButton()->text(), u"Loudness"_s);

    page.normalizationViewController()->radioButtons()->button(0)->click();
    EXPECT_FALSE(page.peakTargetLevelButton()->isHidden());
    EXPECT_TRUE(page.r128TargetLevelButton()->isHidden());
    EXPECT_EQ(storedEffects().normalizationMethod, kTQNormalizationPeak);

    page.improveVolume()->click();
    for (QWidget* control : {static_cast<QWidget*>(page.normalizationMethodButton()),
                             static_cast<QWidget*>(page.peakTargetLevelButton()),
                             static_cast<QWidget*>(page.r128TargetLevelButton()),
                             static_cast<QWidget*>(page.enableAGCCheckBox())})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_FALSE(storedEffects().normalize);
    EXPECT_DOUBLE_EQ(storedEffects().r128TargetLevel, -14.0);

    for (auto [box, button] : {std::pair{page.fadeInCheckBox(), page.fadeInButton()},
                               std::pair{page.fadeOutCheckBox(), page.fadeOutButton()},
                               std::pair{page.limitDurationCheckBox(), page.limitDurationButton()},
                               std::pair{page.trimSilenceAtTheStartAndEnd(), page.trimSilenceThresholdButton()}}) {
        EXPECT_FALSE(button->isEnabled());
        box->click();
        EXPECT_TRUE(button->isEnabled());
    }
    const TQEffectsSettingsRecord saved = storedEffects();
    EXPECT_TRUE(saved.fadeIn && saved.fadeOut && saved.limitDuration && saved.trimSilence);
}

TEST_F(TQCAppPreferencesPanelEffectsTest, SliderChangesAreSavedAfterAPauseAndWhenThePopoverCloses)
{
    Page& page = open();
    page.fadeInCheckBox()->click();
    TQControlDoubleSlider* slider = page.fadeInButton()->slider();
    page.fadeInButton()->click();
    ASSERT_NE(visiblePopover(), nullptr);
    slider->setValue(4); // 0.5 s
    EXPECT_NE(storedEffects().fadeInDuration, 500);
    ASSERT_TRUE(pumpUntil([] { return storedEffects().fadeInDuration == 500; }));

    slider->setValue(9); // 1.0 s
    visiblePopover()->findChild<QPushButton*>(u"popoverButton"_s)->click();
    EXPECT_EQ(storedEffects().fadeInDuration, 1000);
}

TEST_F(TQCAppPreferencesPanelEffectsTest, AutomaticVolumeControlIsIntroducedOncePerRunAndNotAgainWithinADay)
{
    TQEffectsSettingsRecord stored;
    stored.normalize = true;
    TQKitEffectsSettingsSave(&stored);
    Page& page = open();
    page.enableAGCCheckBox()->click();
    ASSERT_TRUE(pumpUntil([] { return visiblePopover() != nullptr; }));
    QWidget* popover = visiblePopover();
    EXPECT_TRUE(popover->findChildren<QLabel*>().first()->text() == u"Automatic Volume Control"_s);
    popover->findChild<QPushButton*>(u"popoverButton"_s)->click();
    pumpEvents();
    EXPECT_EQ(TQKitSettingReadInt64("TQCSettingConfirmation", "TQCSettingACGPrompt", 0), now_);

    page.enableAGCCheckBox()->click();
    EXPECT_FALSE(page.showIntroductoryMessageBoxAboutACG(page.enableAGCCheckBox()));

    // A later run: the answer's time stamp holds it back for 86,399 s.
    runState_ = {};
    now_ += Page::kIntroductionIntervalSeconds;
    EXPECT_FALSE(page.showIntroductoryMessageBoxAboutACG(page.enableAGCCheckBox()));
    now_ += 1;
    EXPECT_TRUE(page.showIntroductoryMessageBoxAboutACG(page.enableAGCCheckBox()));
}

TEST_F(TQCAppPreferencesPanelEffectsTest, TrimmingWithoutNormalizationAsksUnlessTheThresholdIsQuiet)
{
    Page& page = open();
    page.trimSilenceThresholdButton()->setDoubleValue(-35.0);
    page.trimSilenceAtTheStartAndEnd()->click();
    pumpEvents();
    EXPECT_FALSE(page.showIntroductoryMessageBoxAboutTrimAndNormalization());

    page.trimSilenceThresholdButton()->setDoubleValue(-30.0);
    scriptedResponder().answerTitle(u"Trim Silence"_s, {kTQKitQuestionConfirmed, false});
    page.trimSilenceAtTheStartAndEnd()->click();
    page.trimSilenceAtTheStartAndEnd()->click();
    ASSERT_TRUE(pumpUntil([&] { return page.improveVolume()->isChecked(); }));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"Trim Silence"_s});
    EXPECT_TRUE(storedEffects().normalize);
    EXPECT_TRUE(storedEffects().trimSilence);

    // "Don't ask again" holds for the rest of the run.
    page.improveVolume()->click();
    scriptedResponder().answerTitle(u"Trim Silence"_s, {kTQKitQuestionDeclined, true});
    ASSERT_TRUE(page.showIntroductoryMessageBoxAboutTrimAndNormalization());
    ASSERT_TRUE(pumpUntil([] { return scriptedResponder().requests().size() == 2; }));
    pumpEvents();
    EXPECT_FALSE(page.showIntroductoryMessageBoxAboutTrimAndNormalization());
    EXPECT_FALSE(storedEffects().normalize);
}

TEST_F(TQCAppPreferencesPanelEffectsTest, ResetReturnsTheStoredEffectsToTheirDefaults)
{
    TQEffectsSettingsRecord stored;
    stored.normalize = true;
    stored.fadeIn = true;
    stored.fadeInDuration = 2500;
    TQKitEffectsSettingsSave(&stored);
    Page& page = open();
    ASSERT_TRUE(page.fadeInCheckBox()->isChecked());
    page.resetPreferences();
    EXPECT_EQ(storedEffects(), TQEffectsSettingsRecord());
    EXPECT_FALSE(page.fadeInCheckBox()->isChecked());
    EXPECT_FALSE(page.improveVolume()->isChecked());
    EXPECT_EQ(page.fadeInButton()->text(), u"0.1 seconds"_s);
}

} // namespace
} // namespace sonvale::test
