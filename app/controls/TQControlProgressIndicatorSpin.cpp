#include "app/controls/TQControlProgressIndicatorSpin.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFadeSeconds = 0.7;
constexpr double kStoppedFinAlpha = 0.15;

} // namespace

TQControlProgressIndicatorSpin::TQControlProgressIndicatorSpin(QWidget* parent) : QWidget(parent)
{
    animationTimer_.setInterval(50);
    connect(&animationTimer_, &QTimer::timeout, this, &TQControlProgressIndicatorSpin::updateFrame);
    rebuildFinColors();
}

void TQControlProgressIndicatorSpin::startAnimation()
{
    if (indeterminate_ && (!isAnimating_ || isFadingOut_))
        actuallyStartAnimation();
}

void TQControlProgressIndicatorSpin::stopAnimation()
{
    isFadingOut_ = true;
    fadeOutStartTime_ = Clock::now();
}

void TQControlProgressIndicatorSpin::setColor(const QColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    rebuildFinColors();
    update();
}

void TQControlProgressIndicatorSpin::setBackgroundColor(const QColor& color)
{
    if (color == backgroundColor_)
        return;
    backgroundColor_ = color;
    update();
}

void TQControlProgressIndicatorSpin::setDrawsBackground(bool draws)
{
    drawsBackground_ = draws;
    update();
}

void TQControlProgressIndicatorSpin::setIsIndeterminate(bool indeterminate)
{
    indeterminate_ = indeterminate;
    if (!indeterminate && isAnimating_)
        stopAnimation();
    update();
}

void TQControlProgressIndicatorSpin::setCurrentValue(double value)
{
    if (indeterminate_)
        setIndeterminate(false);
    currentValue_ = value;
    update();
}

void TQControlProgressIndicatorSpin::setMaxValue(double value)
{
    maxValue_ = value;
    update();
}

void TQControlProgressIndicatorSpin::setDisplayedWhenStopped(bool displayed)
{
    displayedWhenStopped_ = displayed;
    if (!isAnimating_)
        setVisible(displayed);
}

double TQControlProgressIndicatorSpin::alphaValueForPosition(unsigned position) const
{
    double alpha = std::pow(0.85, static_cast<double>((position + static_cast<unsigned>(currentPosition_)) % 12));
    if (isFadingOut_)
        alpha *= kFadeSeconds - secondsFading();
    return alpha;
}

void TQControlProgressIndicatorSpin::updateFrame()
{
    rebuildFinColors();
    if (isFadingOut_ && secondsFading() > kFadeSeconds)
        actuallyStopAnimation();
    update();
    if (!isFadingOut_)
        currentPosition_ = (currentPosition_ + 1) % 12;
}

void TQControlProgressIndicatorSpin::rebuildFinColors()
{
    const double floor = displayedWhenStopped_ ? kStoppedFinAlpha : 0.0;
    for (unsigned i = 0; i < finColors_.size(); ++i) {
        QColor fin = color_;
        fin.setAlphaF(static_cast<float>(std::clamp(std::max(floor, alphaValueForPosition(i)), 0.0, 1.0)));
        finColors_[i] = fin;
    }
}

double TQControlProgressIndicatorSpin::secondsFading() const
{
    return std::chrono::duration<double>(Clock::now() - fadeOutStartTime_).count();
}

void TQControlProgressIndicatorSpin::actuallyStartAnimation()
{
    actuallyStopAnimation();
    isAnimating_ = true;
    isFadingOut_ = false;
    currentPosition_ = 0;
    if (!displayedWhenStopped_)
        show();
    // Hidden or without a window the wheel waits; showEvent starts the timer.
    if (isVisible())
        animationTimer_.start();
}

void TQControlProgressIndicatorSpin::actuallyStopAnimation()
{
    isAnimating_ = false;
    isFadingOut_ = false;
    if (!displayedWhenStopped_)
        hide();
    animationTimer_.stop();
    update();
}

void TQControlProgressIndicatorSpin::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (isAnimating_)
        animationTimer_.start();
}

void TQControlProgressIndicatorSpin::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // A hidden wheel costs nothing; it goes on where it was when shown again.
    animationTimer_.stop();
}

void TQControlProgressIndicatorSpin::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (drawsBackground_)
        painter.fillRect(rect(), backgroundColor_);

    const double size = std::min(width(), height());
    painter.translate(width() / 2.0, height() / 2.0);

    if (indeterminate_) {
        QPen pen;
        pen.setWidthF(0.0859375 * size);
        pen.setCapStyle(Qt::RoundCap);
        for (unsigned i = 0; i < 12; ++i) {
            QColor fin = finColors_[i];
            if (!isAnimating_) {
                fin = color_;
                fin.setAlphaF(static_cast<float>(kStoppedFinAlpha));
            }
            pen.setColor(fin);
            painter.setPen(pen);
            // Fins point up from the centre; y grows downwards here.
            painter.drawLine(QPointF(0, -0.234375 * size), QPointF(0, -0.421875 * size));
            painter.rotate(30.0);
        }
        return;
    }

    const double lineWidth = 0.01 * size + 1.0;
    const double radius = (size - lineWidth) / 2.1;
    painter.setPen(QPen(color_, lineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(0, 0), radius, radius);

    const double fraction = maxValue_ > 0.0 ? std::clamp(currentValue_ / maxValue_, 0.0, 1.0) : 0.0;
    if (fraction <= 0.0)
        return;
    QPainterPath pie;
    pie.moveTo(0, 0);
    // Qt's angles run counter-clockwise from 3 o'clock: start at 12 and sweep clockwise.
    pie.arcTo(QRectF(-radius, -radius, 2 * radius, 2 * radius), 90.0, -360.0 * fraction);
    pie.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color_);
    painter.drawPath(pie);
}
