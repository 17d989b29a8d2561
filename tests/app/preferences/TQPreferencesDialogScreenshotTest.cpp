#include "app/controls/TQControlButtonWithSliderInPopover.h"
#include "app/preferences/TQAudFormatPanelController.h"
#include "app/preferences/TQAudFormatPanelM4AController.h"
#include "app/preferences/TQAudFormatPanelMP3Controller.h"
#include "app/preferences/TQAudFormatPanelPopUp.h"
#include "app/preferences/TQCAppPreferencesPanelEffects.h"
#include "app/preferences/TQPreferencesDialogController.h"
#include "app/preferences/TQPreferencesDialogEntryPoints.h"
#include "app/preferences/TQPreferencesViewController.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit/TQAudFormatFlag.h"
#include "platform/tqkit/TQEffectsSettingsRecord.h"
#include "platform/tqkit/TQM4ASettingsRecord.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QFont>
#include <QLayout>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

struct Look {
    bool dark;
    bool largeFont;
};

class TQPreferencesDialogScreenshotTest : public ::testing::TestWithParam<Look> {
protected:
    void SetUp() override
    {
        scriptedResponder().reset();
        font_ = QApplication::font();
        if (GetParam().dark)
            QApplication::setPalette(darkPalette());
        if (GetParam().largeFont) {
            QFont large = font_;
            large.setPointSizeF(11.0);
            QApplication::setFont(large);
        }
    }
    void TearDown() override
    {
        TQPreferencesDialogClose();
        QApplication::setPalette(QPalette());
        QApplication::setFont(font_);
        pumpEvents();
    }
    QString suffix() const
    {
        return (GetParam().dark ? u"dark"_s : u"light"_s) + (GetParam().largeFont ? u"-11pt"_s : u"-default"_s);
    }

    // Nothing a page lays out may be cut: every widget gets at least the size its layout asks for.
    static void expectNothingClipped(QWidget* view)
    {
        for (QWidget* child : view->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(view) || child->parentWidget()->layout() == nullptr)
                continue;
            const QSize needed = child->minimumSizeHint();
            EXPECT_GE(child->width(), needed.width()) << child->objectName().toStdString();
            EXPECT_GE(child->height(), needed.height()) << child->objectName().toStdString();
        }
    }

    TempHome home_;
    QFont font_;
};

TEST_P(TQPreferencesDialogScreenshotTest, EveryPage)
{
    TQEffectsSettingsRecord effects;
    effects.normalize = true;
    effects.normalizationMethod = kTQNormalizationLoudness;
    effects.r128TargetLevel = -9.0;
    effects.fadeIn = true;
    effects.fadeInDuration = 1500;
    effects.trimSilence = true;
    effects.trimSilenceThreshold = -18.0;
    TQKitEffectsSettingsSave(&effects);

    TQPreferencesDialogShow();
    TQPreferencesDialogController* dialog = TQPreferencesDialogController::findViewController();
    ASSERT_NE(dialog, nullptr);
    for (TQPreferencesViewController* page : dialog->viewControllers()) {
        dialog->setSelectedViewController(page);
        pumpEvents();
        expectNothingClipped(page->view());
        EXPECT_FALSE(saveScreenshot(dialog->window(), u"preferences-"_s + page->toolbarItemLabel().toLower() + u"-"_s +
                                                          suffix())
                         .empty());
    }

    dialog->setSelectedViewController(dialog->viewControllerForIdentifier(u"TQCAppPreferencesPanelEffects"_s));
    auto* page = qobject_cast<TQCAppPreferencesPanelEffects*>(dialog->selectedViewController());
    ASSERT_NE(page, nullptr);
    page->r128TargetLevelButton()->click();
    QWidget* popover = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == u"popover"_s && widget->isVisible())
            popover = widget;
    }
    ASSERT_NE(popover, nullptr);
    pumpEvents();
    EXPECT_FALSE(saveScreenshot(popover, u"preferences-effects-popover-"_s + suffix()).empty());
    popover->close();
    pumpEvents();
}

// The Format page with every format offered, each options panel in turn, and the two panels that
// change with a choice (MP3 constant bit rate, M4A with ALAC).
TEST_P(TQPreferencesDialogScreenshotTest, EveryFormatPanel)
{
    TQM4ASettingsRecord m4a;
    m4a.codec = kTQM4ACodecAACHEv2;
    m4a.bitRate = 48;
    TQKitM4ASettingsSave(&m4a);
    TQAudFormatPanelController page;
    page.setDefaultFormat(kTQAudFormatM4A);
    page.setSupportedFormatFlags(kTQAudFormatMP3 | kTQAudFormatWAV | kTQAudFormatM4A | kTQAudFormatAIFF |
                                 kTQAudFormatFLAC);
    page.view()->show();
    const auto shoot = [&](int format, const QString& name) {
        page.formatPopupButton()->selectItemAtIndex(static_cast<int>(page.formatValues().indexOf(format)));
        page.formatPopupButton()->sendAction();
        pumpEvents();
        expectNothingClipped(page.view());
        EXPECT_FALSE(saveScreenshot(page.view(), u"format-"_s + name + u"-"_s + suffix()).empty());
    };
    const std::pair<int, QString> formats[] = {{kTQAudFormatMP3, u"mp3"_s}, {kTQAudFormatM4A, u"m4a"_s},
                                               {kTQAudFormatFLAC, u"flac"_s}, {kTQAudFormatAIFF, u"aiff"_s},
                                               {kTQAudFormatWAV, u"wav"_s}};
    for (const auto& [format, name] : formats)
        shoot(format, name);

    auto* mp3 = qobject_cast<TQAudFormatPanelMP3Controller*>(page.formatViewControllers().first());
    ASSERT_NE(mp3, nullptr);
    mp3->bitrateCBRButton()->click();
    shoot(kTQAudFormatMP3, u"mp3-cbr"_s);

    auto* m4aPanel = qobject_cast<TQAudFormatPanelM4AController*>(page.formatViewControllers().at(1));
    ASSERT_NE(m4aPanel, nullptr);
    m4aPanel->format()->button()->selectItemAtIndex(TQAudFormatPanelM4AController::indexOfCodecSafe(kTQM4ACodecALAC));
    m4aPanel->format()->button()->sendAction();
    shoot(kTQAudFormatM4A, u"m4a-alac"_s);
}

INSTANTIATE_TEST_SUITE_P(Looks, TQPreferencesDialogScreenshotTest,
                         ::testing::Values(Look{false, false}, Look{true, false}, Look{false, true}, Look{true, true}),
                         [](const auto& info) {
                             return std::string(info.param.dark ? "Dark" : "Light") +
                                    (info.param.largeFont ? "Font11" : "DefaultFont");
                         });

} // namespace
} // namespace sonvale::test
