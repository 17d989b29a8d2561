#include "app/controls/TQControlProgressIndicatorSpin.h"

#include "tests/support/QtTestSupport.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>

namespace sonvale::test {
namespace {

TEST(ControlProgressIndicatorSpinTest, ValueSwitchesToThePieWithoutStoppingTheWheel)
{
    TQControlProgressIndicatorSpin spin;
    spin.show();
    spin.startAnimation();
    EXPECT_TRUE(spin.isAnimating());
    spin.setCurrentValue(25);
    EXPECT_FALSE(spin.isIndeterminate());
    EXPECT_TRUE(spin.isAnimating());
    EXPECT_FALSE(spin.isFadingOut());
    spin.setIsIndeterminate(false);
    EXPECT_TRUE(spin.isFadingOut());
    EXPECT_TRUE(pumpUntil([&spin] { return !spin.isAnimating(); }));
}

TEST(ControlProgressIndicatorSpinTest, FinsFadeFromTheLeadingOne)
{
    TQControlProgressIndicatorSpin spin;
    for (unsigned i = 0; i < 12; ++i)
        EXPECT_DOUBLE_EQ(spin.alphaValueForPosition(i), std::pow(0.85, i));
    spin.updateFrame();
    EXPECT_EQ(spin.currentPosition(), 1);
    EXPECT_DOUBLE_EQ(spin.alphaValueForPosition(11), 1.0);
    // No fin fades below the floor of a stopped wheel that stays displayed.
    for (const QColor& fin : spin.finColors())
        EXPECT_GE(fin.alphaF(), 0.15f - 1e-6f);
}

TEST(ControlProgressIndicatorSpinTest, HiddenWhenStoppedUnlessDisplayed)
{
    QWidget parent;
    auto* spin = new TQControlProgressIndicatorSpin(&parent);
    parent.show();
    spin->setDisplayedWhenStopped(false);
    EXPECT_TRUE(spin->isHidden());
    spin->startAnimation();
    EXPECT_FALSE(spin->isHidden());
    spin->stopAnimation();
    EXPECT_TRUE(pumpUntil([spin] { return spin->isHidden(); }));
}

TEST(ControlProgressIndicatorSpinTest, AQuarterFillsFromTwelveToThree)
{
    TQControlProgressIndicatorSpin spin;
    spin.resize(40, 40);
    spin.setMaxValue(100);
    spin.setCurrentValue(25);
    QImage image(spin.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    spin.render(&image);
    const auto dark = [&image](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    EXPECT_TRUE(dark(26, 14));  // between 12 and 3 o'clock
    EXPECT_FALSE(dark(14, 14)); // between 9 and 12
    EXPECT_FALSE(dark(26, 26)); // between 3 and 6
}

} // namespace
} // namespace sonvale::test
