#pragma once

#include "app/preferences/TQPreferencesViewController.h"
#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <cstdint>
#include <functional>

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class TQCAppPreferencesPanelEffectsNormalizationMethodViewController;
class TQControlButtonWithSliderInPopover;
class TQControlButtonWithViewControllerInPopover;

// The Effects page: normalization (peak or loudness, with its target), automatic volume control,
// fades, a duration limit and trimming of silence, all kept in the stored TQEffectsSettingsRecord.
// Levels and durations are edited with popover sliders in the units a person reads (dBFS, LUFS,
// seconds) and stored in the record's (percent of full scale, milliseconds). Check boxes save at
// once, sliders 0.3 s after the last change and when their popover closes. Turning automatic volume
// control on introduces it, and trimming without normalization suggests turning normalization on.
// Main thread only.
class TQCAppPreferencesPanelEffects final : public TQPreferencesViewController {
    Q_OBJECT

public:
    // Seconds since 1970.
    using Clock = std::function<int64_t()>;

    // What the page has learnt in this run of the application (not stored): the automatic volume
    // control introduction was answered; the user asked not to be asked about trimming again.
    struct RunState {
        bool acgIntroductionAnswered = false;
        bool trimQuestionNotAgain = false;
    };
    static RunState& processRunState();

    // The introduction of automatic volume control comes back no sooner than this after an answer.
    static constexpr int64_t kIntroductionIntervalSeconds = 86399;
    // Trimming at this threshold or below is safe enough without normalization.
    static constexpr double kQuietTrimThreshold = -35.0;

    // Conversions between the page's units and the record's.
    static double percentFromDBFS(double dBFS);
    static double dBFSFromPercent(double percent);
    // Fades are kept to the tenth of a second, the duration limit to the second.
    static int32_t fadeMillisecondsFromSeconds(double seconds);
    static int32_t limitMillisecondsFromSeconds(double seconds);

    explicit TQCAppPreferencesPanelEffects(QObject* parent = nullptr, RunState* runState = &processRunState());
    ~TQCAppPreferencesPanelEffects() override;

    void setClock(Clock clock) { clock_ = std::move(clock); }

    QString identifier() const override { return QStringLiteral("TQCAppPreferencesPanelEffects"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override { return QStringLiteral("Effects"); }
    QString toolbarItemTooltip() const override;
    QString appInfoNetworkMenuKeyword() const override { return QStringLiteral("pref_effects"); }
    bool hasResetPreferences() const override { return true; }
    void resetPreferences() override;
    bool commitEditing() override;

    void loadSettings();
    void enableControls();
    void commitEditingDelayed();
    // The check boxes' action: saves, re-enables, then may introduce what was turned on.
    void commitEditingOnClick(QAbstractButton* sender);
    // Each answers true when it scheduled its introduction.
    bool showIntroductoryMessageBoxAboutACG(QAbstractButton* checkBox);
    bool showIntroductoryMessageBoxAboutTrimAndNormalization();

    QCheckBox* improveVolume() const { return improveVolume_; }
    TQControlButtonWithViewControllerInPopover* normalizationMethodButton() const { return normalizationMethodButton_; }
    TQCAppPreferencesPanelEffectsNormalizationMethodViewController* normalizationViewController() const
    {
        return normalizationViewController_;
    }
    QLabel* normalizationLabel() const { return normalizationLabel_; }
    TQControlButtonWithSliderInPopover* peakTargetLevelButton() const { return peakTargetLevelButton_; }
    TQControlButtonWithSliderInPopover* r128TargetLevelButton() const { return r128TargetLevelButton_; }
    QCheckBox* enableAGCCheckBox() const { return enableAGCCheckBox_; }
    QCheckBox* fadeInCheckBox() const { return fadeInCheckBox_; }
    TQControlButtonWithSliderInPopover* fadeInButton() const { return fadeInButton_; }
    QCheckBox* fadeOutCheckBox() const { return fadeOutCheckBox_; }
    TQControlButtonWithSliderInPopover* fadeOutButton() const { return fadeOutButton_; }
    QCheckBox* limitDurationCheckBox() const { return limitDurationCheckBox_; }
    TQControlButtonWithSliderInPopover* limitDurationButton() const { return limitDurationButton_; }
    QCheckBox* trimSilenceAtTheStartAndEnd() const { return trimSilenceAtTheStartAndEnd_; }
    TQControlButtonWithSliderInPopover* trimSilenceThresholdButton() const { return trimSilenceThresholdButton_; }

protected:
    QWidget* loadView() override;

private:
    struct SliderSetup;
    void initTQCAppPreferencesPanelEffectsInternal();
    void setUpSliderButton(TQControlButtonWithSliderInPopover* button, const SliderSetup& setup);
    void setUpAccessibility();
    void showIntroductoryMessageBoxAboutACGImpl(QAbstractButton* checkBox);
    void showIntroductoryMessageBoxAboutTrimAndNormalizationImpl();
    int64_t now() const;

    RunState* runState_;
    Clock clock_;
    QCheckBox* improveVolume_ = nullptr;
    TQControlButtonWithViewControllerInPopover* normalizationMethodButton_ = nullptr;
    TQCAppPreferencesPanelEffectsNormalizationMethodViewController* normalizationViewController_ = nullptr; // a child
    QLabel* normalizationLabel_ = nullptr;
    TQControlButtonWithSliderInPopover* peakTargetLevelButton_ = nullptr;
    TQControlButtonWithSliderInPopover* r128TargetLevelButton_ = nullptr;
    QCheckBox* enableAGCCheckBox_ = nullptr;
    QCheckBox* fadeInCheckBox_ = nullptr;
    TQControlButtonWithSliderInPopover* fadeInButton_ = nullptr;
    QCheckBox* fadeOutCheckBox_ = nullptr;
    TQControlButtonWithSliderInPopover* fadeOutButton_ = nullptr;
    QCheckBox* limitDurationCheckBox_ = nullptr;
    TQControlButtonWithSliderInPopover* limitDurationButton_ = nullptr;
    QCheckBox* trimSilenceAtTheStartAndEnd_ = nullptr;
    TQControlButtonWithSliderInPopover* trimSilenceThresholdButton_ = nullptr;
    QGroupBox* improveVolumeSection_ = nullptr;
    QGroupBox* fadeSection_ = nullptr;
    QGroupBox* trimSection_ = nullptr;
    TQKitDelayedCalls delayedCalls_; // last: pending calls go before the controls they use
};
