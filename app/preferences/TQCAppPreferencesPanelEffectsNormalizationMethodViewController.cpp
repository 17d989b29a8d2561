#include "app/preferences/TQCAppPreferencesPanelEffectsNormalizationMethodViewController.h"

#include "platform/tqkit/TQEffectsSettingsRecord.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPeakColumn = 0;
constexpr int kLoudnessColumn = 1;

int columnOf(uint32_t method) { return method == kTQNormalizationLoudness ? kLoudnessColumn : kPeakColumn; }

} // namespace

TQCAppPreferencesPanelEffectsNormalizationMethodViewController::
    TQCAppPreferencesPanelEffectsNormalizationMethodViewController(QObject* parent)
    : TQKitViewController(parent)
{
}

QWidget* TQCAppPreferencesPanelEffectsNormalizationMethodViewController::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(u"normalizationMethodView"_s);
    auto* layout = new QHBoxLayout(view);
    layout->setContentsMargins(4, 4, 4, 4);
    radioButtons_ = new QButtonGroup(view);
    auto* peak = new QRadioButton(u"Peak"_s, view);
    auto* loudness = new QRadioButton(u"Loudness"_s, view);
    peak->setChecked(true);
    radioButtons_->addButton(peak, kPeakColumn);
    radioButtons_->addButton(loudness, kLoudnessColumn);
    layout->addWidget(peak);
    layout->addWidget(loudness);
    layout->addStretch();
    connect(radioButtons_, &QButtonGroup::idClicked, this, [this] { radioClick(); });
    return view;
}

QButtonGroup* TQCAppPreferencesPanelEffectsNormalizationMethodViewController::radioButtons()
{
    view();
    return radioButtons_;
}

void TQCAppPreferencesPanelEffectsNormalizationMethodViewController::setMethod(uint32_t method)
{
    method_ = method;
    syncRadioButtonsWithMethod();
    syncButtonTitleWithRadioButtons();
}

void TQCAppPreferencesPanelEffectsNormalizationMethodViewController::radioClick()
{
    syncMethodWithRadioButtons();
    syncButtonTitleWithRadioButtons();
    if (settingsChangedBlock_)
        settingsChangedBlock_();
}

void TQCAppPreferencesPanelEffectsNormalizationMethodViewController::setToolTipForMethod(const QString& toolTip,
                                                                                        uint32_t method)
{
    if (QAbstractButton* cell = radioButtons()->button(columnOf(method)))
        cell->setToolTip(toolTip);
}

void TQCAppPreferencesPanelEffectsNormalizationMethodViewController::setAssociatedTQControlButton(
    TQControlButtonWithViewInPopover* button)
{
    associatedButton_ = button;
    view();
    syncButtonTitleWithRadioButtons();
}

void TQCAppPreferencesPanelEffectsNormalizationMethodViewController::syncMethodWithRadioButtons()
{
    method_ = radioButtons()->checkedId() == kLoudnessColumn ? kTQNormalizationLoudness : kTQNormalizationPeak;
}

void TQCAppPreferencesPanelEffectsNormalizationMethodViewController::syncRadioButtonsWithMethod()
{
    if (QAbstractButton* cell = radioButtons()->button(columnOf(method_)))
        cell->setChecked(true);
}

void TQCAppPreferencesPanelEffectsNormalizationMethodViewController::syncButtonTitleWithRadioButtons()
{
    const bool loudness = radioButtons()->checkedId() == kLoudnessColumn;
    if (associatedButton_)
        associatedButton_->setText(loudness ? u"Loudness"_s : u"Peak"_s);
}
