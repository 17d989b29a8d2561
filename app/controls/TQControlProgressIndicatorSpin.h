#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

#include <array>
#include <chrono>

// A small progress indicator: a wheel of 12 fins that spins (indeterminate) or a pie that fills
// clockwise from 12 o'clock with currentValue / maxValue (determinate). A stop fades the wheel out
// over 0.7 s. The wheel turns on a 50 ms timer of the main thread. Main thread only.
class TQControlProgressIndicatorSpin final : public QWidget {
    Q_OBJECT

public:
    explicit TQControlProgressIndicatorSpin(QWidget* parent = nullptr);

    void startAnimation();
    // Starts the fade-out; the wheel stops when it ends.
    void stopAnimation();
    bool isAnimating() const { return isAnimating_; }
    bool isFadingOut() const { return isFadingOut_; }

    QColor color() const { return color_; }
    void setColor(const QColor& color);
    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);
    bool drawsBackground() const { return drawsBackground_; }
    void setDrawsBackground(bool draws);

    bool isIndeterminate() const { return indeterminate_; }
    // Switches between wheel and pie; leaving the wheel stops its animation.
    void setIsIndeterminate(bool indeterminate);
    // Only stores the flag.
    void setIndeterminate(bool indeterminate) { indeterminate_ = indeterminate; }

    double currentValue() const { return currentValue_; }
    // Switches to the pie when the wheel was shown.
    void setCurrentValue(double value);
    double maxValue() const { return maxValue_; }
    void setMaxValue(double value);

    bool isDisplayedWhenStopped() const { return displayedWhenStopped_; }
    void setDisplayedWhenStopped(bool displayed);

    // Alpha of fin `position` in the next frame: 0.85 ^ ((position + step) mod 12), fading with
    // the stop.
    double alphaValueForPosition(unsigned position) const;
    // Colour each fin gets in the next drawing.
    const std::array<QColor, 12>& finColors() const { return finColors_; }
    int currentPosition() const { return currentPosition_; }
    // One animation step (the timer's tick).
    void updateFrame();

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    using Clock = std::chrono::steady_clock;

    void actuallyStartAnimation();
    void actuallyStopAnimation();
    void rebuildFinColors();
    double secondsFading() const;

    int currentPosition_ = 0;
    std::array<QColor, 12> finColors_;
    bool isAnimating_ = false;
    QTimer animationTimer_;
    bool isFadingOut_ = false;
    Clock::time_point fadeOutStartTime_;
    bool drawsBackground_ = false;
    bool displayedWhenStopped_ = true;
    bool indeterminate_ = true;
    QColor color_ = Qt::black;
    QColor backgroundColor_ = Qt::transparent;
    double currentValue_ = 0.0;
    double maxValue_ = 100.0;
};
