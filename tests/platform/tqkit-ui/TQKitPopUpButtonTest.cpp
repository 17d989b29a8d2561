#include "platform/tqkit-ui/TQKitPopUpButton.h"

#include "platform/tqkit-ui/TQKitAttributedString.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(TQKitPopUpButtonTest, ChoosingATopLevelItemSelectsItAndSendsTheAction)
{
    TQKitPopUpButton button;
    QMenu* menu = button.menu();
    QAction* first = menu->addAction(u"First"_s);
    QAction* second = menu->addAction(u"Second"_s);
    menu->addSeparator();
    QAction* actions = menu->addMenu(u"Actions"_s)->menuAction();
    QAction* command = actions->menu()->addAction(u"New..."_s);
    int sent = 0;
    QObject::connect(&button, &TQKitPopUpButton::activated, &button, [&] { ++sent; });

    EXPECT_EQ(button.indexOfSelectedItem(), -1);
    button.selectItemAtIndex(0);
    EXPECT_EQ(button.selectedItem(), first);
    EXPECT_EQ(sent, 0) << "selecting in code sends nothing";

    second->trigger();
    EXPECT_EQ(button.indexOfSelectedItem(), 1);
    EXPECT_EQ(sent, 1);

    // Commands of submenus act on their own and leave the selection alone.
    command->trigger();
    EXPECT_EQ(button.indexOfSelectedItem(), 1);
    EXPECT_EQ(sent, 1);

    button.selectItemAtIndex(7);
    EXPECT_EQ(button.indexOfSelectedItem(), -1);
}

TEST(TQKitPopUpButtonTest, RemovingTheSelectedItemLeavesNothingSelected)
{
    TQKitPopUpButton button;
    button.menu()->addAction(u"First"_s);
    QAction* second = button.menu()->addAction(u"Second"_s);
    button.selectItemAtIndex(1);
    button.menu()->removeAction(second);
    EXPECT_EQ(button.indexOfSelectedItem(), -1);
    EXPECT_EQ(button.numberOfItems(), 1);
}

TEST(TQKitPopUpButtonTest, AttributedTitlesKeepTheirTextForKeyboardAndAssistiveUse)
{
    QAction item;
    TQKitAttributedString title;
    title.append(u" Artist "_s, std::nullopt, Qt::black, Qt::cyan);
    title.append(u" & Friends"_s);
    TQKitMenuItemSetAttributedTitle(&item, title);
    EXPECT_EQ(item.text(), u" Artist  && Friends"_s) << "an ampersand is no mnemonic";
    ASSERT_TRUE(TQKitMenuItemAttributedTitle(&item));
    EXPECT_EQ(TQKitMenuItemAttributedTitle(&item)->runs.size(), 2);

    // The button is as wide as its widest title.
    TQKitPopUpButton button;
    const int narrow = button.sizeHint().width();
    button.menu()->addAction(&item);
    title.append(u" and a very long tail of literal text"_s);
    TQKitMenuItemSetAttributedTitle(&item, title);
    EXPECT_GT(button.sizeHint().width(), narrow);
}

} // namespace
