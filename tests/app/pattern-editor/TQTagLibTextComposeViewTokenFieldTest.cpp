#include "app/pattern-editor/TQTagLibTextComposeViewTokenField.h"

#include "tests/support/QtTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

using Token = TQTagLibTextComposeViewToken;
using Range = TQTagLibTextComposeViewTokenField::Range;

// What the field holds, token by token: keys as "[{{key}}]", literal runs as they are.
QStringList shapeOf(const TQTagLibTextComposeViewTokenField& field)
{
    QStringList shape;
    for (const TQTokenObject& token : field.objectValue())
        shape.append(token->isKey() ? u"[%1]"_s.arg(token->textPattern()) : token->textPattern());
    return shape;
}

QString patternOf(const TQTagLibTextComposeViewTokenField& field)
{
    return Token::tokenArrayPattern(field.objectValue());
}

class TokenFieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_.resize(420, 60);
        field_ = new TQTagLibTextComposeViewTokenField(&window_);
        field_->setGeometry(10, 10, 400, field_->sizeHint().height());
        window_.show();
        pumpEvents();
    }
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        pumpEvents();
    }

    void show(const QString& pattern) { field_->setObjectValue(Token::tokenArrayWithString(pattern)); }
    // Chooses the key titled `title` in the plus button's menu.
    void chooseFromPlusMenu(const QString& title)
    {
        for (QAction* item : field_->plusButtonMenu()->actions()) {
            if (item->text() == title) {
                item->trigger();
                return;
            }
        }
        FAIL() << "no item " << title.toStdString();
    }

    QWidget window_;
    TQTagLibTextComposeViewTokenField* field_ = nullptr;
};

TEST_F(TokenFieldTest, InsertingFromThePlusMenuPutsTheCaretAfterTheChipOrKeepsTheSelection)
{
    show(u"ab"_s);
    QSignalSpy changed(field_, &TQTagLibTextComposeViewTokenField::patternDidChange);
    field_->setSelectedRange({1, 0});
    chooseFromPlusMenu(u"Artist"_s);
    EXPECT_EQ(shapeOf(*field_), (QStringList{u"a"_s, u"[{{artist}}]"_s, u"b"_s}));
    EXPECT_EQ(field_->selectedRange(), (Range{2, 0}));
    EXPECT_EQ(changed.count(), 1);

    // Typing goes on after the chip.
    QTest::keyClicks(field_, u" - "_s);
    EXPECT_EQ(patternOf(*field_), u"a{{artist}} - b"_s);

    // With text selected the new chip goes to the start of the selection, which stays selected.
    field_->setSelectedRange({2, 3});
    chooseFromPlusMenu(u"Title"_s);
    EXPECT_EQ(patternOf(*field_), u"a{{artist}}{{title}} - b"_s);
    EXPECT_EQ(field_->selectedRange(), (Range{2, 3}));

    // At the end of the line the chip is appended.
    field_->setSelectedRange({100, 0});
    chooseFromPlusMenu(u"Album"_s);
    EXPECT_TRUE(patternOf(*field_).endsWith(u"b{{album}}"_s));
}

TEST_F(TokenFieldTest, NonAsciiLiteralTextKeepsChipsInPlace)
{
    // "é" is one UTF-16 unit, "🎵" two; both are one editing position.
    show(u"Café 🎵 {{title}}"_s);
    field_->setSelectedRange({7, 0});
    EXPECT_EQ(field_->selectedRange(), (Range{7, 0}));
    chooseFromPlusMenu(u"Artist"_s);
    EXPECT_EQ(shapeOf(*field_), (QStringList{u"Café 🎵 "_s, u"[{{artist}}]"_s, u"[{{title}}]"_s}));
    EXPECT_EQ(field_->selectedRange(), (Range{8, 0}));
    field_->setSelectedRange({6, 0});
    chooseFromPlusMenu(u"Genre"_s);
    EXPECT_EQ(patternOf(*field_), u"Café 🎵{{genre}} {{artist}}{{title}}"_s);
}

TEST_F(TokenFieldTest, PastedTextBecomesChipsAndLiteralTextAndCopiesBackAsTheSameText)
{
    QApplication::clipboard()->setText(u"a {{title}} b"_s);
    field_->setFocus();
    field_->paste();
    EXPECT_EQ(shapeOf(*field_), (QStringList{u"a "_s, u"[{{title}}]"_s, u" b"_s}));

    field_->selectAll();
    field_->copy();
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    EXPECT_EQ(copied->text(), u"a {{title}} b"_s);
    EXPECT_EQ(QString::fromUtf8(copied->data(u"text/tab-separated-values"_s)), u"a {{title}} b"_s);

    // A part of the line copies as the part of the pattern.
    field_->setSelectedRange({1, 2});
    field_->copy();
    EXPECT_EQ(QApplication::clipboard()->text(), u" {{title}}"_s);
    // Typing over a selection that holds a chip gives plain text.
    QTest::keyClicks(field_, u"x"_s);
    EXPECT_EQ(shapeOf(*field_), (QStringList{u"ax b"_s}));
    field_->setObjectValue(Token::tokenArrayWithString(u"a {{title}} b"_s));

    // Nothing to paste changes nothing; line breaks and tabs end tokens instead of joining the text.
    QSignalSpy changed(field_, &TQTagLibTextComposeViewTokenField::patternDidChange);
    QApplication::clipboard()->clear();
    field_->setSelectedRange({100, 0});
    field_->paste();
    EXPECT_EQ(changed.count(), 0);
    QApplication::clipboard()->setText(u"\n{{album}}\t!\r\n"_s);
    field_->paste();
    EXPECT_EQ(patternOf(*field_), u"a {{title}} b{{album}}!"_s);
    EXPECT_GT(changed.count(), 0);
}

TEST_F(TokenFieldTest, TypedKeyTextBecomesAChipOnceItsBracesClose)
{
    field_->setFocus();
    QTest::keyClicks(field_, u"by {{album}}"_s);
    EXPECT_EQ(shapeOf(*field_), (QStringList{u"by "_s, u"[{{album}}]"_s}));
    EXPECT_EQ(field_->selectedRange(), (Range{4, 0}));
    // Blanks stay literal text; unknown keys stay text.
    QTest::keyClicks(field_, u" {{nothing}}"_s);
    EXPECT_EQ(shapeOf(*field_), (QStringList{u"by "_s, u"[{{album}}]"_s, u" {{nothing}}"_s}));
}

TEST_F(TokenFieldTest, ReturnIsAnnouncedAndWithAModifierOpensTheMenuOfAllTokens)
{
    show(u"{{title}}"_s);
    QSignalSpy keyEnter(field_, &TQTagLibTextComposeViewTokenField::keyEnter);
    QSignalSpy activated(field_, &TQTagLibTextComposeViewTokenField::activated);
    QTest::keyClick(field_, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), field_->plusButtonMenu());
    EXPECT_EQ(keyEnter.count(), 0);
    EXPECT_EQ(patternOf(*field_), u"{{title}}"_s) << "the menu inserts only what is chosen";
    field_->plusButtonMenu()->close();

    QTest::keyClick(field_, Qt::Key_Return);
    EXPECT_EQ(keyEnter.count(), 1);
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(patternOf(*field_), u"{{title}}"_s) << "Return never becomes part of the pattern";
}

TEST_F(TokenFieldTest, TheButtonsStayInsideTheFieldAndTheTextClearOfThem)
{
    const QRect plus = field_->plusButton()->geometry();
    EXPECT_TRUE(field_->rect().contains(plus));
    EXPECT_LE(field_->viewport()->geometry().right(), plus.left());
    const int fullLeft = field_->viewport()->geometry().left();

    field_->setShowsLeftButton(true);
    ASSERT_TRUE(field_->leftButton());
    EXPECT_EQ(field_->leftButton()->objectName(), u"leftButton"_s);
    EXPECT_GE(field_->viewport()->geometry().left(), field_->leftButton()->geometry().right());
    field_->setShowsLeftButton(false);
    EXPECT_FALSE(field_->leftButton());
    EXPECT_EQ(field_->viewport()->geometry().left(), fullLeft);
}

TEST_F(TokenFieldTest, ClickingTheMarkOfANumberChipOpensItsDigitsMenu)
{
    show(u"{{trackNumber}} {{title}}"_s);
    pumpEvents();
    // The mark sits at the right end of the first chip: search along the line for it.
    const int y = field_->viewport()->height() / 2;
    QMenu* digits = nullptr;
    for (int x = 2; x < 200 && !digits; x += 2) {
        QTest::mouseClick(field_->viewport(), Qt::LeftButton, {}, QPoint(x, y));
        digits = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }
    ASSERT_TRUE(digits);
    ASSERT_EQ(digits->actions().size(), 3);
    digits->actions()[0]->trigger();
    EXPECT_EQ(patternOf(*field_), u"{{trackNumber:1}} {{title}}"_s);
}

} // namespace
} // namespace sonvale::test
