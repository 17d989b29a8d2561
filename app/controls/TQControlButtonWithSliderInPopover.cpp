#include "app/controls/TQControlButtonWithSliderInPopover.h"

#include "app/controls/TQControlDoubleSlider.h"
#include "platform/tqkit-ui/TQKitAppearance.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>

#include <algorithm>

namespace {

constexpr int kSliderWidth = 300;
constexpr int kSliderHeight = 20;
constexpr qreal kLabelPointSize = 9.0;

QLabel* limitLabel(const QString& text, Qt::Alignment alignment, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(alignment | Qt::AlignTop);
    QFont font = label->font();
    font.setPointSizeF(kLabelPointSize);
    label->setFont(font);
    return label;
}

} // namespace

TQControlButtonWithSliderInPopover::TQControlButtonWithSliderInPopover(QWidget* parent)
    : TQControlButtonWithViewInPopover(parent), slider_(new TQControlDoubleSlider(this))
{
    slider_->hide();
    slider_->setFixedWidth(kSliderWidth);
    slider_->setMinimumHeight(kSliderHeight);
    connect(slider_, &TQControlDoubleSlider::doubleValueChanged, this,
            &TQControlButtonWithSliderInPopover::sliderValueChanged);
    valueToTitleBlock_ = [](double value) { return QString::asprintf("%.1f", value); };
    setDoubleValue(slider_->minValue());
}

QString TQControlButtonWithSliderInPopover::titleOf(double value) const
{
    return valueToTitleBlock_ ? valueToTitleBlock_(value) : QString();
}

void TQControlButtonWithSliderInPopover::setDoubleValue(double value)
{
    doubleValue_ = value;
    if (valueToTitleBlock_)
        setText(titleOf(value));
    updateBackgroundColor();
}

void TQControlButtonWithSliderInPopover::sliderValueChanged(double value)
{
    setDoubleValue(value);
    runSettingsChanged();
}

QWidget* TQControlButtonWithSliderInPopover::view()
{
    slider_->setDoubleValue(doubleValue_);
    if (!hasMinMaxLabels_)
        return slider_;
    if (holdingView_)
        return holdingView_;
    holdingView_ = new QWidget(this);
    holdingView_->hide();
    auto* layout = new QGridLayout(holdingView_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(0);
    layout->addWidget(slider_, 0, 0, 1, 2);
    slider_->show();
    const QString minText = minLabel_.isNull() ? titleOf(slider_->minValue()) : minLabel_;
    const QString maxText = maxLabel_.isNull() ? titleOf(slider_->maxValue()) : maxLabel_;
    layout->addWidget(limitLabel(minText, Qt::AlignLeft, holdingView_), 1, 0);
    layout->addWidget(limitLabel(maxText, Qt::AlignRight, holdingView_), 1, 1);
    return holdingView_;
}

void TQControlButtonWithSliderInPopover::updateBackgroundColor()
{
    if (!hasRedBackgroundValue_)
        return;
    const double above = doubleValue_ - redBackgroundStartValue_;
    if (above <= 0.001) {
        setButtonBackgroundColor(QColor());
        return;
    }
    // The share of the way from the threshold to the slider's maximum; full red at and beyond it,
    // also when the threshold lies at or above the maximum.
    const double span = slider_->maxValue() - redBackgroundStartValue_;
    const double f = span > 0.0 ? std::clamp(above / span, 0.0, 1.0) : 1.0;
    setButtonBackgroundColor(TQKitIsDarkAppearance(this) ? QColor::fromRgbF(f, 0.0, 0.0)
                                                         : QColor::fromRgbF(1.0, 1.0 - f, 1.0 - f));
}

void TQControlButtonWithSliderInPopover::changeEvent(QEvent* event)
{
    TQControlButtonWithViewInPopover::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        updateBackgroundColor();
}
