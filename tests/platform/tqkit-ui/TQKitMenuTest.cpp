#include "platform/tqkit-ui/TQKitMenu.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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

} // namespace
