#include "app/preferences/TQCAppPreferencesPanelEffects.h"

#include "app/controls/TQControlButtonWithSliderInPopover.h"
#include "app/controls/TQControlButtonWithViewControllerInPopover.h"
#include "app/controls/TQControlDoubleSlider.h"
#include "app/preferences/TQCAppPreferencesPanelEffectsNormalizationMethodViewController.h"
#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitPopover.h"
#include "platform/tqkit/TQEffectsSettingsRecord.h"
#include "platform/tqkit/TQKitSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr double kDefaultPeakTargetLevel = 100.0;
constexpr double kDefaultR128TargetLevel = -18.0;
constexpr double kSilentPercent = 0.0001;
constexpr double kSilentDBFS = -120.0; // 20 x log10(1e-6)
constexpr auto kSaveDelay = 300ms;
constexpr auto kIntroductionDelay = 300ms;
constexpr char kConfirmationSection[] = "TQCSettingConfirmation";
constexpr char kACGPromptKey[] = "TQCSettingACGPrompt";
const QString kCommitTag = u"commitEditing"_s;
const QString kACGTag = u"acgIntroduction"_s;
const QString kTrimTag = u"trimQuestion"_s;

const QString kACGMessage =
    u"Automatic Volume Control is an excellent addition to the normalization of audio with too loud and too soft "
    u"parts, peaks and clicks, including podcasts, interviews and voice recordings.\n\nHowever, Automatic Volume "
    u"Control can provide undesired results in the case of audio with an already compressed dynamic range.\n\n"
    u"Please check the result of the conversion before relying on Automatic Volume Control."_s;

// Halves away from zero, as the stored durations are rounded.
double roundHalfAway(double value) { return std::round(value); }

QCheckBox* checkBox(const QString& title, const QString& name, QWidget* parent)
{
    auto* box = new QCheckBox(title, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

struct TQCAppPreferencesPanelEffects::SliderSetup {
    double minimum;
    double maximum;
    double altIncrement;
    const char* titleFormat;
    std::optional<double> redAbove;
    QString sliderHelp;
    QString doneToolTip;
};

TQCAppPreferencesPanelEffects::RunState& TQCAppPreferencesPanelEffects::processRunState()
{
    static RunState state; // main thread only, for the life of the process
    return state;
}

double TQCAppPreferencesPanelEffects::percentFromDBFS(double dBFS) { return std::pow(10.0, dBFS / 20.0 + 2.0); }

double TQCAppPreferencesPanelEffects::dBFSFromPercent(double percent)
{
    return percent > kSilentPercent ? 20.0 * std::log10(percent / 100.0) : kSilentDBFS;
}

int32_t TQCAppPreferencesPanelEffects::fadeMillisecondsFromSeconds(double seconds)
{
    return static_cast<int32_t>(roundHalfAway(seconds * 10.0)) * 100;
}

int32_t TQCAppPreferencesPanelEffects::limitMillisecondsFromSeconds(double seconds)
{
    return static_cast<int32_t>(roundHalfAway(seconds)) * 1000;
}

TQCAppPreferencesPanelEffects::TQCAppPreferencesPanelEffects(QObject* parent, RunState* runState)
    : TQPreferencesViewController(parent), runState_(runState),
      clock_([] { return QDateTime::currentSecsSinceEpoch(); })
{
}

TQCAppPreferencesPanelEffects::~TQCAppPreferencesPanelEffects() = default;

int64_t TQCAppPreferencesPanelEffects::now() const { return clock_(); }

QIcon TQCAppPreferencesPanelEffects::toolbarItemImage() const
{
    return QApplication::style()->standardIcon(QStyle::SP_MediaVolume);
}

QString TQCAppPreferencesPanelEffects::toolbarItemTooltip() const
{
    return u"Effects\n\nOptions related to audio effects applied to encoded audio."_s;
}

// --- View ----------------------------------------------------------------------------------------

QWidget* TQCAppPreferencesPanelEffects::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(u"TQCAppPreferencesPanelEffects"_s);
    auto* layout = new QVBoxLayout(view);

    improveVolumeSection_ = new QGroupBox(u"Volume"_s, view);
    auto* volume = new QGridLayout(improveVolumeSection_);
    improveVolume_ = checkBox(u"Normalize"_s, u"improveVolume"_s, improveVolumeSection_);
    normalizationLabel_ = new QLabel(u"Method:"_s, improveVolumeSection_);
    normalizationMethodButton_ = new TQControlButtonWithViewControllerInPopover(improveVolumeSection_);
    normalizationMethodButton_->setObjectName(u"normalizationMethodButton"_s);
    peakTargetLevelButton_ = new TQControlButtonWithSliderInPopover(improveVolumeSection_);
    peakTargetLevelButton_->setObjectName(u"peakTargetLevelButton"_s);
    r128TargetLevelButton_ = new TQControlButtonWithSliderInPopover(improveVolumeSection_);
    r128TargetLevelButton_->setObjectName(u"r128TargetLevelButton"_s);
    enableAGCCheckBox_ = checkBox(u"Automatic Volume Control"_s, u"enableAGCCheckBox"_s, improveVolumeSection_);
    volume->addWidget(improveVolume_, 0, 0);
    volume->addWidget(normalizationLabel_, 0, 1, Qt::AlignRight);
    volume->addWidget(normalizationMethodButton_, 0, 2);
    // The two target buttons share one place; the chosen method shows one of them.
    volume->addWidget(peakTargetLevelButton_, 0, 3);
    volume->addWidget(r128TargetLevelButton_, 0, 3);
    volume->addWidget(enableAGCCheckBox_, 1, 0, 1, 4);
    volume->setColumnStretch(0, 1);

    fadeSection_ = new QGroupBox(u"Fades and Duration"_s, view);
    auto* fades = new QGridLayout(fadeSection_);
    fadeInCheckBox_ = checkBox(u"Fade In"_s, u"fadeInCheckBox"_s, fadeSection_);
    fadeInButton_ = new TQControlButtonWithSliderInPopover(fadeSection_);
    fadeInButton_->setObjectName(u"fadeInButton"_s);
    fadeOutCheckBox_ = checkBox(u"Fade Out"_s, u"fadeOutCheckBox"_s, fadeSection_);
    fadeOutButton_ = new TQControlButtonWithSliderInPopover(fadeSection_);
    fadeOutButton_->setObjectName(u"fadeOutButton"_s);
    limitDurationCheckBox_ = checkBox(u"Limit Duration"_s, u"limitDurationCheckBox"_s, fadeSection_);
    limitDurationButton_ = new TQControlButtonWithSliderInPopover(fadeSection_);
    limitDurationButton_->setObjectName(u"limitDurationButton"_s);
    fades->addWidget(fadeInCheckBox_, 0, 0);
    fades->addWidget(fadeInButton_, 0, 1);
    fades->addWidget(fadeOutCheckBox_, 1, 0);
    fades->addWidget(fadeOutButton_, 1, 1);
    fades->addWidget(limitDurationCheckBox_, 2, 0);
    fades->addWidget(limitDurationButton_, 2, 1);
    fades->setColumnStretch(0, 1);

    trimSection_ = new QGroupBox(u"Silence"_s, view);
    auto* trim = new QGridLayout(trimSection_);
    trimSilenceAtTheStartAndEnd_ =
        checkBox(u"Trim Silence at the start and end"_s, u"trimSilenceAtTheStartAndEnd"_s, trimSection_);
    trimSilenceThresholdButton_ = new TQControlButtonWithSliderInPopover(trimSection_);
    trimSilenceThresholdButton_->setObjectName(u"trimSilenceThresholdButton"_s);
    trim->addWidget(trimSilenceAtTheStartAndEnd_, 0, 0);
    trim->addWidget(new QLabel(u"Threshold:"_s, trimSection_), 0, 1, Qt::AlignRight);
    trim->addWidget(trimSilenceThresholdButton_, 0, 2);
    trim->setColumnStretch(0, 1);

    layout->addWidget(improveVolumeSection_);
    layout->addWidget(fadeSection_);
    layout->addWidget(trimSection_);
    layout->addStretch();

    // Every value button is wide enough for the longest title it can show.
    const int valueWidth = view->fontMetrics().horizontalAdvance(u"-25.0 LUFS__"_s) + 24;
    for (QWidget* button : {static_cast<QWidget*>(normalizationMethodButton_), static_cast<QWidget*>(peakTargetLevelButton_),
                            static_cast<QWidget*>(r128TargetLevelButton_), static_cast<QWidget*>(fadeInButton_),
                            static_cast<QWidget*>(fadeOutButton_), static_cast<QWidget*>(limitDurationButton_),
                            static_cast<QWidget*>(trimSilenceThresholdButton_)})
        button->setMinimumWidth(valueWidth);

    initTQCAppPreferencesPanelEffectsInternal();
    return view;
}

void TQCAppPreferencesPanelEffects::setUpSliderButton(TQControlButtonWithSliderInPopover* button,
                                                      const SliderSetup& setup)
{
    TQControlDoubleSlider* slider = button->slider();
    slider->setMinValue(setup.minimum);
    slider->setMaxValue(setup.maximum);
    slider->setAltIncrementValue(setup.altIncrement);
    if (setup.redAbove) {
        button->setHasRedBackgroundValue(true);
        button->setRedBackgroundStartValue(*setup.redAbove);
    }
    button->setPopoverClosedBlock([this] { commitEditing(); });
    button->setSettingsChanged([this] { commitEditingDelayed(); });
    const QString format = QString::fromLatin1(setup.titleFormat);
    button->setValueToTitleBlock(
        [format](double value) { return QString::asprintf(format.toLatin1().constData(), value); });
    button->setHasMinMaxLabels(true);
    TQKitSetAccessibilityHelp(slider, setup.sliderHelp);
    button->setPopoverButtonToolTip(setup.doneToolTip);
}

void TQCAppPreferencesPanelEffects::initTQCAppPreferencesPanelEffectsInternal()
{
    setUpSliderButton(peakTargetLevelButton_,
                      {-25.0, 0.0, 0.1, "%.1f dBFS", std::nullopt, u"Set the target level of Peak Normalization"_s,
                       u"Accept the target level of Peak Normalization"_s});
    setUpSliderButton(r128TargetLevelButton_,
                      {-25.0, -5.0, 0.1, "%.1f LUFS", -12.9,
                       u"Setu the target level of Loudness Normalization (EBU R128).\n\nPlease note that too high "
                       u"target level can result in peaks that exceed the audio format limits.\nDynamic range "
                       u"compression is applied in such cases to prevent clipping."_s,
                       u"Accept the target level of Loudness Normalization"_s});
    setUpSliderButton(fadeInButton_, {0.1, 10.0, 0.1, "%.1f seconds", std::nullopt,
                                      u"Set the duration of Fade In effect"_s, u"Accept the duration of Fade In effect"_s});
    setUpSliderButton(fadeOutButton_,
                      {0.1, 10.0, 0.1, "%.1f seconds", std::nullopt, u"Set the duration of Fade Out effect"_s,
                       u"Accept the duration of Fade Out effect"_s});
    setUpSliderButton(trimSilenceThresholdButton_, {-65.0, -15.0, 0.1, "%.1f dBFS", -20.0,
                                                    u"Set the level of Silence Threshold"_s, u"Accept the Silence Threshold"_s});
    setUpSliderButton(limitDurationButton_, {3.0, 999.0, 1.0, "%.0f seconds", std::nullopt,
                                             u"Setup the limit duration effect"_s, u"Finish editing of duration"_s});

    normalizationViewController_ = new TQCAppPreferencesPanelEffectsNormalizationMethodViewController(this);
    normalizationViewController_->setSettingsChangedBlock([this] {
        enableControls();
        commitEditing();
    });
    normalizationMethodButton_->setViewController(normalizationViewController_);
    normalizationMethodButton_->setPopoverClosedBlock([this] { commitEditing(); });
    normalizationMethodButton_->setSettingsChanged([this] { commitEditingDelayed(); });
    normalizationMethodButton_->setPopoverButtonToolTip(u"Accept selected Normalization Method"_s);

    for (QCheckBox* box : {improveVolume_, enableAGCCheckBox_, fadeInCheckBox_, fadeOutCheckBox_,
                           limitDurationCheckBox_, trimSilenceAtTheStartAndEnd_})
        connect(box, &QCheckBox::clicked, this, [this, box] { commitEditingOnClick(box); });

    loadSettings();
    setUpAccessibility();
}

void TQCAppPreferencesPanelEffects::setUpAccessibility()
{
    const auto describe = [](QWidget* view, const QString& label, const QString& help) {
        if (!label.isEmpty())
            TQKitSetAccessibilityLabel(view, label);
        TQKitSetAccessibilityHelp(view, help);
    };
    const QString normalizationHelp =
        u"Normalization\n\nCheck this option to adjust volume of converted audio with Peak or Loudness Normalization."_s;
    describe(improveVolume_, u"Enable Normalization"_s, normalizationHelp);
    describe(normalizationLabel_, {}, normalizationHelp);
    describe(normalizationMethodButton_, u"Normalization method"_s,
             u"Normalization method\n\nPress this button to select Normalization Method."_s);
    normalizationViewController_->setToolTipForMethod(
        u"Peak Normalization\n\nThe gain is changed to bring the highest signal peak to a target level.\n\nPeak "
        u"Normalization is generally used to change the volume to ensure optimal use of the audio format in the "
        u"mastering stage of a recording."_s,
        kTQNormalizationPeak);
    normalizationViewController_->setToolTipForMethod(
        u"Loudness Normalization\n\nLoudness Normalization is useful when you need to equalize loudness of your audio "
        u"collection to the specified target level.\n\nPlease note that too high target level can result in peaks "
        u"that exceed the audio format limits.\nDynamic range compression is applied in such cases to prevent "
        u"clipping."_s,
        kTQNormalizationLoudness);
    describe(peakTargetLevelButton_, u"Target level of Peak Normalization"_s,
             u"Target level of Peak Normalization\n\nPress this button to select target level of Peak Normalization, "
             u"expressed in dBFS, Decibels relative to Full Scale. 0 dBFS is assigned to the maximum possible "
             u"digital level."_s);
    describe(r128TargetLevelButton_, u"Target level of Loudness Normalization"_s,
             u"Target level of Loudness Normalization\n\nPress this button to select target level of Loudness "
             u"Normalization, expressed in LUFS, Loudness Units relative to Full Scale.\n\nPlease note that too high "
             u"target level can result in peaks that exceed the audio format limits.\nDynamic range compression is "
             u"applied in such cases to prevent clipping."_s);
    describe(enableAGCCheckBox_, {}, u"Automatic Volume Control\n\n"_s + kACGMessage);
    describe(fadeInCheckBox_, u"Enable Fade In effect"_s,
             u"Fade In effect\n\nCheck this option to make volume of converted audio gradually increased from silence "
             u"at the beginning."_s);
    describe(fadeInButton_, u"Duration of Fade In effect"_s,
             u"Duration of Fade In effect\n\nPress this button to set the duration of Fade In effect."_s);
    describe(fadeOutCheckBox_, u"Enable Fade Out effect"_s,
             u"Fade Out effect\n\nCheck this option to make volume of converted audio gradually decreased to silence "
             u"at the end."_s);
    describe(fadeOutButton_, u"Duration of Fade Out effect"_s,
             u"Duration of Fade Out effect\n\nPress this button to set the duration of Fade Out effect."_s);
    describe(trimSilenceAtTheStartAndEnd_, u"Trim Silence at the start and end"_s,
             u"Trim Silence at the start and end\n\nCheck this option to trim silence at the start and at the end of "
             u"converted audio.\n\nIt is recommended to use this option together with adjusting volume or "
             u"normalization."_s);
    describe(trimSilenceThresholdButton_, u"Silence Threshold"_s,
             u"Silence Threshold\n\nPress this button to change the Silence Threshold. Audio below the threshold will "
             u"be considered as silence.\n\nIt is recommended to use trimming silence together with normalization. "
             u"Otherwise, quiet audio of low level can be unexpectedly truncated."_s);
    describe(limitDurationCheckBox_, u"Limit Duration"_s,
             u"Limit Duration\n\nCheck this option to limit duration of converted audio."_s);
    describe(limitDurationButton_, u"Limit Duration"_s,
             u"Limit Duration\n\nPress this button to change the maximum duration of converted audio."_s);
}

// --- Loading and saving --------------------------------------------------------------------------

void TQCAppPreferencesPanelEffects::loadSettings()
{
    if (!improveVolume_) // the view is not built yet
        return;
    TQEffectsSettingsRecord record;
    TQKitEffectsSettingsLoad(&record, kDefaultPeakTargetLevel, kDefaultR128TargetLevel);
    improveVolume_->setChecked(record.normalize);
    enableAGCCheckBox_->setChecked(record.automaticVolumeControl);
    fadeInCheckBox_->setChecked(record.fadeIn);
    fadeOutCheckBox_->setChecked(record.fadeOut);
    limitDurationCheckBox_->setChecked(record.limitDuration);
    trimSilenceAtTheStartAndEnd_->setChecked(record.trimSilence);
    normalizationViewController_->setMethod(static_cast<uint32_t>(record.normalizationMethod));
    // A stored value outside a slider's range shows (and is saved again) at the nearest end of it, so
    // that an effect that is on never has a zero length or an unreachable level.
    const auto show = [](TQControlButtonWithSliderInPopover* button, double value) {
        const TQControlDoubleSlider* slider = button->slider();
        button->setDoubleValue(std::clamp(value, slider->minValue(), slider->maxValue()));
    };
    show(peakTargetLevelButton_, dBFSFromPercent(record.peakTargetLevel));
    show(r128TargetLevelButton_, record.r128TargetLevel);
    show(trimSilenceThresholdButton_, record.trimSilenceThreshold);
    show(fadeInButton_, record.fadeInDuration / 1000.0);
    show(fadeOutButton_, record.fadeOutDuration / 1000.0);
    show(limitDurationButton_, record.limitDurationValue / 1000.0);
    enableControls();
}

bool TQCAppPreferencesPanelEffects::commitEditing()
{
    delayedCalls_.cancel(kCommitTag);
    if (!improveVolume_) // the view is not built yet
        return true;
    TQEffectsSettingsRecord record;
    TQKitEffectsSettingsLoad(&record, kDefaultPeakTargetLevel, kDefaultR128TargetLevel);
    record.normalize = improveVolume_->isChecked();
    record.normalizationMethod = static_cast<int32_t>(normalizationViewController_->method());
    record.peakTargetLevel = percentFromDBFS(peakTargetLevelButton_->doubleValue());
    record.r128TargetLevel = r128TargetLevelButton_->doubleValue();
    record.automaticVolumeControl = enableAGCCheckBox_->isChecked();
    record.fadeIn = fadeInCheckBox_->isChecked();
    record.fadeInDuration = fadeMillisecondsFromSeconds(fadeInButton_->doubleValue());
    record.fadeOut = fadeOutCheckBox_->isChecked();
    record.fadeOutDuration = fadeMillisecondsFromSeconds(fadeOutButton_->doubleValue());
    record.limitDuration = limitDurationCheckBox_->isChecked();
    record.limitDurationValue = limitMillisecondsFromSeconds(limitDurationButton_->doubleValue());
    record.trimSilence = trimSilenceAtTheStartAndEnd_->isChecked();
    record.trimSilenceThreshold = trimSilenceThresholdButton_->doubleValue();
    TQKitEffectsSettingsSave(&record);
    return true;
}

void TQCAppPreferencesPanelEffects::commitEditingDelayed()
{
    delayedCalls_.cancel(kCommitTag);
    delayedCalls_.perform(kSaveDelay, [this] { commitEditing(); }, kCommitTag);
}

void TQCAppPreferencesPanelEffects::resetPreferences()
{
    TQKitEffectsSettingsReset();
    loadSettings();
}

void TQCAppPreferencesPanelEffects::enableControls()
{
    if (!improveVolume_) // the view is not built yet
        return;
    const bool normalize = improveVolume_->isChecked();
    const uint32_t method = normalizationViewController_->method();
    peakTargetLevelButton_->setVisible(method == kTQNormalizationPeak);
    r128TargetLevelButton_->setVisible(method == kTQNormalizationLoudness);
    for (QWidget* control : {static_cast<QWidget*>(normalizationMethodButton_), static_cast<QWidget*>(normalizationLabel_),
                             static_cast<QWidget*>(peakTargetLevelButton_), static_cast<QWidget*>(r128TargetLevelButton_),
                             static_cast<QWidget*>(enableAGCCheckBox_)})
        control->setEnabled(normalize);
    fadeInButton_->setEnabled(fadeInCheckBox_->isChecked());
    fadeOutButton_->setEnabled(fadeOutCheckBox_->isChecked());
    limitDurationButton_->setEnabled(limitDurationCheckBox_->isChecked());
    trimSilenceThresholdButton_->setEnabled(trimSilenceAtTheStartAndEnd_->isChecked());
}

// --- Check boxes and introductions ---------------------------------------------------------------

void TQCAppPreferencesPanelEffects::commitEditingOnClick(QAbstractButton* sender)
{
    commitEditing();
    enableControls();
    if (sender == enableAGCCheckBox_ && enableAGCCheckBox_->isChecked() &&
        showIntroductoryMessageBoxAboutACG(enableAGCCheckBox_))
        return;
    if ((sender == improveVolume_ || sender == trimSilenceAtTheStartAndEnd_) &&
        trimSilenceAtTheStartAndEnd_->isChecked() && !improveVolume_->isChecked())
        showIntroductoryMessageBoxAboutTrimAndNormalization();
}

bool TQCAppPreferencesPanelEffects::showIntroductoryMessageBoxAboutACG(QAbstractButton* checkBox)
{
    if (runState_->acgIntroductionAnswered)
        return false;
    const int64_t answered = TQKitSettingReadInt64(kConfirmationSection, kACGPromptKey, 0);
    if (now() - answered <= kIntroductionIntervalSeconds)
        return false;
    QPointer<QAbstractButton> anchor(checkBox);
    delayedCalls_.cancel(kACGTag);
    delayedCalls_.perform(kIntroductionDelay, [this, anchor] { showIntroductoryMessageBoxAboutACGImpl(anchor); }, kACGTag);
    return true;
}

void TQCAppPreferencesPanelEffects::showIntroductoryMessageBoxAboutACGImpl(QAbstractButton* checkBox)
{
    if (!checkBox)
        return;
    const QVariantMap description{
        {u"fromView"_s, QVariant::fromValue<QObject*>(checkBox)},
        {u"fromViewRectEdge"_s, 3},
        {u"title"_s, u"Automatic Volume Control"_s},
        {u"message"_s, kACGMessage},
        {u"defaultButton"_s, u"OK"_s},
    };
    RunState* state = runState_;
    Clock clock = clock_;
    TQKitShowPopover(description, [state, clock](int) {
        state->acgIntroductionAnswered = true;
        TQKitSettingWriteInt64(kConfirmationSection, kACGPromptKey, clock());
    });
}

bool TQCAppPreferencesPanelEffects::showIntroductoryMessageBoxAboutTrimAndNormalization()
{
    if (runState_->trimQuestionNotAgain || trimSilenceThresholdButton_->doubleValue() <= kQuietTrimThreshold)
        return false;
    delayedCalls_.cancel(kTrimTag);
    delayedCalls_.perform(kIntroductionDelay, [this] { showIntroductoryMessageBoxAboutTrimAndNormalizationImpl(); },
                          kTrimTag);
    return true;
}

void TQCAppPreferencesPanelEffects::showIntroductoryMessageBoxAboutTrimAndNormalizationImpl()
{
    if (runState_->trimQuestionNotAgain)
        return;
    QPointer<TQCAppPreferencesPanelEffects> self(this);
    RunState* state = runState_;
    TQKitAskQuestion(view()->window(), u"Trim Silence"_s,
                     u"It is recommended to use trimming silence together with normalization. Otherwise, quiet audio "
                     u"of low level can be unexpectedly truncated.\n\nWould you like to enable normalization now ?"_s,
                     1, [self, state](int result, bool suppressed) {
                         if (suppressed)
                             state->trimQuestionNotAgain = true;
                         if (result != kTQKitQuestionConfirmed || !self)
                             return;
                         self->improveVolume_->setChecked(true);
                         self->commitEditingOnClick(self->improveVolume_);
                     });
}
