#pragma once

#include "app/controls/TQControlButtonWithViewInPopover.h"

#include <functional>

class TQControlDoubleSlider;

// A popover button for one number: the popover shows a slider (with its two limits written under
// its ends when asked) and the button's title shows the value, written by valueToTitleBlock.
// Above redBackgroundStartValue the button turns redder the nearer the value is to the slider's
// maximum. Main thread only.
class TQControlButtonWithSliderInPopover final : public TQControlButtonWithViewInPopover {
    Q_OBJECT

public:
    using ValueToTitle = std::function<QString(double value)>;

    explicit TQControlButtonWithSliderInPopover(QWidget* parent = nullptr);

    double doubleValue() const { return doubleValue_; }
    void setDoubleValue(double value);

    TQControlDoubleSlider* slider() const { return slider_; }
    void setValueToTitleBlock(ValueToTitle block) { valueToTitleBlock_ = std::move(block); }

    bool hasMinMaxLabels() const { return hasMinMaxLabels_; }
    void setHasMinMaxLabels(bool has) { hasMinMaxLabels_ = has; }
    // Fixed texts of the limit labels; a null text shows the title of the slider's limit instead.
    void setMinLabel(const QString& text) { minLabel_ = text; }
    void setMaxLabel(const QString& text) { maxLabel_ = text; }

    bool hasRedBackgroundValue() const { return hasRedBackgroundValue_; }
    void setHasRedBackgroundValue(bool has) { hasRedBackgroundValue_ = has; }
    double redBackgroundStartValue() const { return redBackgroundStartValue_; }
    void setRedBackgroundStartValue(double value) { redBackgroundStartValue_ = value; }

    // The slider alone, or the slider with its limit labels (built on the first call).
    QWidget* view() override;
    // The tint for the current value and appearance; none at or below the threshold.
    void updateBackgroundColor();

protected:
    void changeEvent(QEvent* event) override;

private:
    void sliderValueChanged(double value);
    QString titleOf(double value) const;

    double doubleValue_ = 0.0;
    bool hasMinMaxLabels_ = false;
    bool hasRedBackgroundValue_ = false;
    double redBackgroundStartValue_ = 0.0;
    TQControlDoubleSlider* slider_;
    ValueToTitle valueToTitleBlock_;
    QString minLabel_;
    QString maxLabel_;
    QWidget* holdingView_ = nullptr;
};
