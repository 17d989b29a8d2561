#include "app/preferences/TQCAppPreferencesPanelEffectsNormalizationMethodViewController.h"

#include "app/controls/TQControlButtonWithViewControllerInPopover.h"
#include "tests/support/QtTestSupport.h"

#include <QAbstractButton>
#include <QButtonGroup>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

class NormalizationMethodTest : public ::testing::Test {
protected:
    NormalizationMethodTest() { button_.setViewController(&chooser_); }

    TQCAppPreferencesPanelEffectsNormalizationMethodViewController chooser_;
    TQControlButtonWithViewControllerInPopover button_;
};

TEST_F(NormalizationMethodTest, TheMethodTheRadioButtonsAndTheTitleAgree)
{
    struct Case {
        uint32_t method;
        int checkedId;
        QString title;
    };
    for (const Case& c : {Case{3, 1, u"Loudness"_s}, Case{0, 0, u"Peak"_s}, Case{7, 0, u"Peak"_s}}) {
        SCOPED_TRACE(c.method);
        chooser_.setMethod(c.method);
        EXPECT_EQ(chooser_.radioButtons()->checkedId(), c.checkedId);
        EXPECT_EQ(button_.text(), c.title);
        // An unknown stored method stays the answer until the user chooses.
        EXPECT_EQ(chooser_.method(), c.method);
    }
}

TEST_F(NormalizationMethodTest, EveryClickReportsAndSetsTheMethod)
{
    int changes = 0;
    chooser_.setSettingsChangedBlock([&] { ++changes; });
    chooser_.setMethod(7);
    chooser_.radioButtons()->button(0)->click();
    EXPECT_EQ(chooser_.method(), 0u);
    chooser_.radioButtons()->button(0)->click();
    EXPECT_EQ(changes, 2);
    chooser_.radioButtons()->button(1)->click();
    EXPECT_EQ(chooser_.method(), 3u);
    EXPECT_EQ(button_.text(), u"Loudness"_s);
    EXPECT_EQ(changes, 3);

    chooser_.setSettingsChangedBlock({});
    chooser_.radioButtons()->button(0)->click();
    EXPECT_EQ(chooser_.method(), 0u);
    EXPECT_EQ(button_.text(), u"Peak"_s);
}

} // namespace
} // namespace sonvale::test
