#include "platform/tqkit-ui/TQKitMenu.h"
#include "tests/support/QtTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using sonvale::test::pumpUntil;

namespace {

TEST(TQKitMenuTest, ItemsCarryTheirActionAndAreValidatedBeforeTheMenuOpens)
{
    QMenu menu;
    TQKitMenuAddItem(&menu, TQKitMakeMenuItem(u"Close All"_s, "closeAllCustom:"));
    TQKitMenuAddSeparator(&menu);
    TQKitMenuAddItem(&menu, TQKitMakeMenuItem(u"Paste"_s, "paste:", u"Ctrl+V"_s));
    ASSERT_EQ(menu.actions().size(), 3);
    EXPECT_EQ(TQKitMenuItemAction(menu.actions()[0]), "closeAllCustom:");
    EXPECT_TRUE(menu.actions()[1]->isSeparator());
    EXPECT_EQ(menu.actions()[2]->shortcut(), QKeySequence(u"Ctrl+V"_s));

    QList<QByteArray> performed;
    TQKitMenuSetResponder(
        &menu, [](QAction* item) { return TQKitMenuItemAction(item) == "paste:"; },
        [&](QAction* item) { performed.append(TQKitMenuItemAction(item)); });
    Q_EMIT menu.aboutToShow();
    EXPECT_FALSE(menu.actions()[0]->isEnabled());
    EXPECT_TRUE(menu.actions()[2]->isEnabled());
    menu.actions()[2]->trigger();
    EXPECT_EQ(performed, QList<QByteArray>{"paste:"});
}

// A shortcut answers as its item would be validated at the moment it is pressed, not as the item was
// when its menu last opened: the menu is opened once in each state and then left closed.
TEST(TQKitMenuTest, AShortcutIsValidatedWhenPressedNotWhenItsMenuLastOpened)
{
    QMainWindow window;
    QMenu* file = window.menuBar()->addMenu(u"&File"_s);
    TQKitMenuAddItem(file, TQKitMakeMenuItem(u"Convert Files..."_s, "browse:", u"Ctrl+O"_s));
    TQKitMenuAddItem(file, TQKitMakeMenuItem(u"Close"_s, "performClose:", u"Ctrl+W"_s));
    QAction* browse = file->actions()[0];

    bool available = false;
    QList<QByteArray> validated;
    int performed = 0;
    TQKitMenuSetResponder(
        file,
        [&](QAction* item) {
            validated.append(TQKitMenuItemAction(item));
            return available;
        },
        [&](QAction* item) { performed += TQKitMenuItemAction(item) == "browse:"; });
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(pumpUntil([&] { return window.isActiveWindow(); }));

    auto openAndCloseMenu = [&] {
        file->popup(window.mapToGlobal(QPoint(0, 0)));
        ASSERT_TRUE(pumpUntil([&] { return file->isVisible(); }));
        file->hide();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(pumpUntil([&] { return !file->isVisible() && window.isActiveWindow(); }));
    };
    auto pressCtrl = [&](Qt::Key key) {
        validated.clear();
        QTest::keyClick(&window, key, Qt::ControlModifier);
    };

    openAndCloseMenu();
    EXPECT_FALSE(browse->isEnabled());
    available = true;
    pressCtrl(Qt::Key_O);
    EXPECT_EQ(performed, 1) << "the command became available after the menu was shown";
    EXPECT_TRUE(browse->isEnabled());
    EXPECT_EQ(validated, QList<QByteArray>{"browse:"}) << "only the item whose shortcut was pressed";

    openAndCloseMenu();
    EXPECT_TRUE(browse->isEnabled());
    available = false;
    pressCtrl(Qt::Key_O);
    EXPECT_EQ(performed, 1) << "the command became unavailable after the menu was shown";
    EXPECT_FALSE(browse->isEnabled());

    // A key that is no item's shortcut validates nothing.
    pressCtrl(Qt::Key_P);
    EXPECT_TRUE(validated.isEmpty());
}

} // namespace
