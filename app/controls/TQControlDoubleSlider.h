#pragma once

#include <QSlider>

// A horizontal slider over real values from minValue() to maxValue() in steps of altIncrementValue()
// (the step also of the arrow keys). Values set from outside are kept exactly, not rounded to a
// step, until the user moves the knob. Main thread only.
class TQControlDoubleSlider final : public QSlider {
    Q_OBJECT

public:
    explicit TQControlDoubleSlider(QWidget* parent = nullptr);

    double minValue() const { return minValue_; }
    double maxValue() const { return maxValue_; }
    double altIncrementValue() const { return step_; }
    void setMinValue(double value);
    void setMaxValue(double value);
    void setAltIncrementValue(double step);

    double doubleValue() const { return value_; }
    // Clamped into the range; emits nothing.
    void setDoubleValue(double value);

Q_SIGNALS:
    // The user moved the knob (continuously while dragging).
    void doubleValueChanged(double value);

private:
    void updateRange();

    double minValue_ = 0.0;
    double maxValue_ = 1.0;
    double step_ = 0.1;
    double value_ = 0.0;
    bool settingPosition_ = false;
};
