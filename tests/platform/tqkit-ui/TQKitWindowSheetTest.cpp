#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "tests/support/QtTestSupport.h"

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

TEST(TQKitWindowSheetTest, OneSheetPerWindowUntilItEnds)
{
    QMainWindow window;
    auto* inner = new QLabel(&window);
    window.setCentralWidget(inner);
    TQKitWindowSheet* sheets = TQKitWindowSheet::of(inner);
    EXPECT_EQ(sheets, TQKitWindowSheet::of(&window)); // any widget leads to its window's registry
    EXPECT_FALSE(TQKitWindowHasSheet(&window));

    QList<int> ended;
    QObject::connect(sheets, &TQKitWindowSheet::sheetEnded, &window, [&](int code) { ended.append(code); });
    auto* first = new QDialog;
    ASSERT_TRUE(sheets->attach(first));
    first->open();
    EXPECT_EQ(first->parentWidget(), &window);
    EXPECT_TRUE(TQKitWindowHasSheet(inner));
    QDialog second;
    EXPECT_FALSE(sheets->attach(&second));
    EXPECT_EQ(sheets->sheet(), first);

    TQKitWindowEndSheet(&window, 7);
    EXPECT_EQ(ended, QList<int>{7});
    EXPECT_FALSE(sheets->hasSheet());

    // A sheet destroyed without finishing leaves the window free, with no end reported.
    auto* third = new QDialog;
    ASSERT_TRUE(sheets->attach(third));
    delete third;
    EXPECT_FALSE(TQKitWindowHasSheet(&window));
    EXPECT_EQ(ended.size(), 1);
    EXPECT_FALSE(TQKitWindowHasSheet(nullptr));
}

} // namespace
