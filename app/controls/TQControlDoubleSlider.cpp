#include "app/controls/TQControlDoubleSlider.h"

#include <algorithm>
#include <cmath>

TQControlDoubleSlider::TQControlDoubleSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setTracking(true);
    updateRange();
    connect(this, &QSlider::valueChanged, this, [this](int position) {
        if (settingPosition_)
            return;
        value_ = std::min(maxValue_, minValue_ + position * step_);
        Q_EMIT doubleValueChanged(value_);
    });
}

void TQControlDoubleSlider::setMinValue(double value)
{
    minValue_ = value;
    updateRange();
}

void TQControlDoubleSlider::setMaxValue(double value)
{
    maxValue_ = value;
    updateRange();
}

void TQControlDoubleSlider::setAltIncrementValue(double step)
{
    if (step > 0.0)
        step_ = step;
    updateRange();
}

void TQControlDoubleSlider::setDoubleValue(double value)
{
    value_ = std::clamp(value, minValue_, std::max(minValue_, maxValue_));
    settingPosition_ = true;
    setValue(static_cast<int>(std::lround((value_ - minValue_) / step_)));
    settingPosition_ = false;
}

void TQControlDoubleSlider::updateRange()
{
    settingPosition_ = true;
    setRange(0, std::max(0, static_cast<int>(std::lround((maxValue_ - minValue_) / step_))));
    setSingleStep(1);
    setPageStep(std::max(1, maximum() / 10));
    settingPosition_ = false;
    setDoubleValue(value_);
}
