#include "app/pattern-editor/TQPatternBox.h"
#include "app/pattern-editor/TQTagLibTextComposePopUpButton.h"
#include "app/pattern-editor/TQTagLibTextComposeView.h"
#include "app/pattern-editor/TQTagLibTextComposeViewTokenField.h"
#include "platform/tqkit-ui/TQKitDialogResponder.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QFormLayout>
#include <QMenu>
#include <QMessageBox>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

struct Look {
    bool dark;
    bool largeFont;
};

// Screenshots of the pattern editor's controls in the light and dark palettes, at the default font
// and at 11 points.
class PatternEditorScreenshotTest : public ::testing::TestWithParam<Look> {
protected:
    void SetUp() override
    {
        savedFont_ = QApplication::font();
        if (GetParam().dark)
            QApplication::setPalette(darkPalette());
        if (GetParam().largeFont) {
            QFont font = savedFont_;
            font.setPointSize(11);
            QApplication::setFont(font);
        }
    }
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        QApplication::setPalette(QPalette());
        QApplication::setFont(savedFont_);
        TQKitAlertResponder::install(&scriptedResponder());
        pumpEvents();
    }
    QString name(const QString& what) const
    {
        return u"pattern-editor-%1-%2%3"_s.arg(what, GetParam().dark ? u"dark"_s : u"light"_s,
                                               GetParam().largeFont ? u"-11pt"_s : QString());
    }
    void grabPopup(const QString& what)
    {
        pumpEvents();
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_TRUE(popup);
        EXPECT_FALSE(saveScreenshot(popup, name(what)).empty());
        popup->close();
    }

    TempHome home_;
    QFont savedFont_;
};

TEST_P(PatternEditorScreenshotTest, ComposeViewAndItsMenus)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* view = new TQTagLibTextComposeView(&window);
    layout->addWidget(view);
    view->setPatternFlags(105);
    view->setTextPattern(u"{{trackNumber}} - {{artist}} - {{title}}{{case:words}}"_s);
    window.show();
    pumpEvents();
    EXPECT_FALSE(saveScreenshot(&window, name(u"compose-view"_s)).empty());

    view->tokenField()->plusButtonAction();
    grabPopup(u"plus-menu"_s);

    const TQTokenObject track = view->tokenField()->objectValue().front();
    std::unique_ptr<QMenu> digits = track->menu(view->tokenField());
    digits->popup(view->tokenField()->mapToGlobal(QPoint(0, view->tokenField()->height())));
    grabPopup(u"digits-menu"_s);
}

TEST_P(PatternEditorScreenshotTest, PatternPopUpButtonAndItsMenu)
{
    QWidget window;
    auto* layout = new QFormLayout(&window);
    auto* folders = new TQKitPopUpButton(&window);
    auto* names = new TQKitPopUpButton(&window);
    layout->addRow(u"Folders:"_s, folders);
    layout->addRow(u"File names:"_s, names);
    TQPatternPopUpAttach(folders, "TQCSetting", "DestDirFormatList", 2);
    TQPatternPopUpAttach(names, "TQCSetting", "RenameFilesFormatList", 1);
    TQPatternPopUpSetSelected(names, "{{tracknumber}} - {{artist}} - {{title}}{{case:lower}}");
    window.resize(520, window.sizeHint().height());
    window.show();
    pumpEvents();
    EXPECT_FALSE(saveScreenshot(&window, name(u"popup-buttons"_s)).empty());

    names->popUp();
    grabPopup(u"popup-menu"_s);
}

TEST_P(PatternEditorScreenshotTest, NewPatternBox)
{
    QWidget window;
    window.resize(600, 300);
    window.show();
    TQKitDialogResponder dialogs;
    TQKitAlertResponder::install(&dialogs);
    std::optional<QString> answer;
    TQPatternBoxShowAlert(u"{{artist}} - {{title}}"_s, 105, &window, u"New Destination File Name"_s, QString(),
                          {{u"TQCVTokenFieldAccTitle"_s, u"Pattern for the Destination File Name"_s}},
                          [&](const std::optional<QString>& pattern) { answer = pattern.value_or(u"cancelled"_s); });
    QMessageBox* box = nullptr;
    ASSERT_TRUE(pumpUntil([&] {
        box = window.findChild<QMessageBox*>();
        return box && box->isVisible();
    }));
    pumpEvents();
    EXPECT_FALSE(saveScreenshot(box, name(u"new-pattern-box"_s)).empty());
    box->reject();
    ASSERT_TRUE(pumpUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(*answer, u"cancelled"_s);
}

INSTANTIATE_TEST_SUITE_P(Looks, PatternEditorScreenshotTest,
                         ::testing::Values(Look{false, false}, Look{true, false}, Look{false, true}, Look{true, true}),
                         [](const auto& info) {
                             return std::string(info.param.dark ? "Dark" : "Light") +
                                    (info.param.largeFont ? "Font11" : "DefaultFont");
                         });

} // namespace
} // namespace sonvale::test
