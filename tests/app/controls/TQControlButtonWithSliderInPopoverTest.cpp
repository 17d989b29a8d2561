#include "app/controls/TQControlButtonWithSliderInPopover.h"
#include "app/controls/TQControlDoubleSlider.h"

#include "tests/support/QtTestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

QWidget* openPopover()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == u"popover"_s && widget->isVisible())
            return widget;
    }
    return nullptr;
}

int openPopoverCount()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += widget->objectName() == u"popover"_s && widget->isVisible();
    return count;
}

class TQControlButtonWithSliderInPopoverTest : public ::testing::Test {
protected:
    TQControlButtonWithSliderInPopoverTest()
    {
        window_.resize(300, 100);
        button_ = new TQControlButtonWithSliderInPopover(&window_);
        button_->slider()->setMinValue(-25.0);
        button_->slider()->setMaxValue(-5.0);
        button_->slider()->setAltIncrementValue(0.1);
        window_.show();
        pumpEvents();
    }
    ~TQControlButtonWithSliderInPopoverTest() override
    {
        if (QWidget* popover = openPopover())
            popover->close();
        QApplication::setPalette(QPalette());
        pumpEvents();
    }

    QWidget window_;
    TQControlButtonWithSliderInPopover* button_;
};

TEST_F(TQControlButtonWithSliderInPopoverTest, TintGrowsFromTheThresholdToFullRedAtTheMaximum)
{
    struct Case {
        double threshold;
        double value;
        bool dark;
        QColor expected; // invalid: no tint
    };
    const Case cases[] = {
        {-12.9, -12.9, false, QColor()},
        {-12.9, -12.9 + 0.0005, false, QColor()},
        {-12.9, -9.0, false, QColor::fromRgbF(1.0, 1.0 - 3.9 / 7.9, 1.0 - 3.9 / 7.9)},
        {-12.9, -9.0, true, QColor::fromRgbF(3.9 / 7.9, 0.0, 0.0)},
        {-12.9, -5.0, false, QColor::fromRgbF(1.0, 0.0, 0.0)},
        {-12.9, -5.0, true, QColor::fromRgbF(1.0, 0.0, 0.0)},
        // A threshold at or above the slider's maximum must neither divide by zero nor go negative.
        {-5.0, -4.0, false, QColor::fromRgbF(1.0, 0.0, 0.0)},
        {-3.0, -2.0, true, QColor::fromRgbF(1.0, 0.0, 0.0)},
        // Values set beyond the maximum stay full red.
        {-12.9, 10.0, false, QColor::fromRgbF(1.0, 0.0, 0.0)},
    };
    button_->setHasRedBackgroundValue(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.threshold << " " << c.value << (c.dark ? " dark" : " light"));
        QApplication::setPalette(c.dark ? darkPalette() : QPalette());
        pumpEvents();
        button_->setRedBackgroundStartValue(c.threshold);
        button_->setDoubleValue(c.value);
        const QColor tint = button_->buttonBackgroundColor();
        ASSERT_EQ(tint.isValid(), c.expected.isValid());
        if (!tint.isValid())
            continue;
        EXPECT_NEAR(tint.redF(), c.expected.redF(), 0.005);
        EXPECT_NEAR(tint.greenF(), c.expected.greenF(), 0.005);
        EXPECT_NEAR(tint.blueF(), c.expected.blueF(), 0.005);
    }
}

TEST_F(TQControlButtonWithSliderInPopoverTest, ADarkPaletteReTintsAtOnce)
{
    button_->setHasRedBackgroundValue(true);
    button_->setRedBackgroundStartValue(-12.9);
    button_->setDoubleValue(-9.0);
    EXPECT_GT(button_->buttonBackgroundColor().greenF(), 0.4);
    QApplication::setPalette(darkPalette());
    pumpEvents();
    EXPECT_EQ(button_->buttonBackgroundColor().greenF(), 0.0);
    EXPECT_NEAR(button_->buttonBackgroundColor().redF(), 0.49, 0.01);
}

TEST_F(TQControlButtonWithSliderInPopoverTest, TitleFollowsTheValueAndTheSliderReportsChanges)
{
    int changes = 0;
    button_->setSettingsChanged([&] { ++changes; });
    button_->setValueToTitleBlock([](double value) { return QString::asprintf("%.1f LUFS", value); });
    button_->setDoubleValue(-18.0);
    EXPECT_EQ(button_->text(), u"-18.0 LUFS"_s);
    EXPECT_EQ(changes, 0);

    ASSERT_EQ(button_->view(), button_->slider());
    EXPECT_DOUBLE_EQ(button_->slider()->doubleValue(), -18.0);
    button_->slider()->setValue(button_->slider()->value() + 5);
    EXPECT_EQ(changes, 1);
    EXPECT_NEAR(button_->doubleValue(), -17.5, 1e-9);
    EXPECT_EQ(button_->text(), u"-17.5 LUFS"_s);
}

TEST_F(TQControlButtonWithSliderInPopoverTest, LimitLabelsReadTheTitlesOfTheSliderEndsUnlessGiven)
{
    button_->setHasMinMaxLabels(true);
    QWidget* view = button_->view();
    ASSERT_NE(view, button_->slider());
    QStringList texts;
    for (const QLabel* label : view->findChildren<QLabel*>())
        texts.append(label->text());
    EXPECT_EQ(texts, (QStringList{u"-25.0"_s, u"-5.0"_s}));
    EXPECT_EQ(button_->view(), view);

    TQControlButtonWithSliderInPopover fixed;
    fixed.setHasMinMaxLabels(true);
    fixed.setMinLabel(u"Soft"_s);
    fixed.setMaxLabel(u"Loud"_s);
    texts.clear();
    for (const QLabel* label : fixed.view()->findChildren<QLabel*>())
        texts.append(label->text());
    EXPECT_EQ(texts, (QStringList{u"Soft"_s, u"Loud"_s}));
}

TEST_F(TQControlButtonWithSliderInPopoverTest, OnePopoverAtATimeAndTheClosedBlockRunsWhenItCloses)
{
    int closed = 0;
    button_->setPopoverClosedBlock([&] { ++closed; });
    button_->setPopoverButtonToolTip(u"Accept the level"_s);
    button_->click();
    QWidget* popover = openPopover();
    ASSERT_NE(popover, nullptr);
    EXPECT_TRUE(button_->popoverVisible());
    EXPECT_TRUE(button_->slider()->isVisible());
    auto* done = popover->findChild<QPushButton*>(u"popoverButton"_s);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->text(), u"Done"_s);
    EXPECT_EQ(done->toolTip(), u"Accept the level"_s);

    button_->buttonClick();
    EXPECT_EQ(openPopoverCount(), 1);
    EXPECT_EQ(closed, 0);

    done->click();
    pumpEvents();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(button_->popoverVisible());
    EXPECT_EQ(openPopoverCount(), 0);
    EXPECT_EQ(button_->slider()->parentWidget(), button_);

    button_->click();
    EXPECT_EQ(openPopoverCount(), 1);
    EXPECT_TRUE(button_->slider()->isVisible());
}

TEST_F(TQControlButtonWithSliderInPopoverTest, AButtonWithoutAViewOpensNothing)
{
    TQControlButtonWithViewInPopover bare(&window_);
    bare.click();
    EXPECT_FALSE(bare.popoverVisible());
    EXPECT_EQ(openPopoverCount(), 0);
}

} // namespace
} // namespace sonvale::test
