#include "app/controls/TQNSTextFieldLink.h"

#include "tests/support/QtTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

bool looksLikeALink(const TQNSTextFieldLink& field)
{
    return field.font().underline() &&
           field.palette().color(QPalette::WindowText) == field.palette().color(QPalette::Link);
}

void hover(TQNSTextFieldLink& field, bool over)
{
    if (over) {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(&field, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&field, &leave);
    }
}

TEST(TQNSTextFieldLinkTest, StartsAsALinkAndDrawsPlainWhenDisabledOrTurnedOff)
{
    QWidget window;
    TQNSTextFieldLink field(u"Organize destination files..."_s, &window);
    EXPECT_TRUE(field.hyperLinkEnabled());
    EXPECT_TRUE(looksLikeALink(field));

    field.setEnabled(false);
    EXPECT_FALSE(field.hyperLinkEnabled());
    EXPECT_FALSE(field.font().underline());
    field.setEnabled(true);
    EXPECT_TRUE(looksLikeALink(field));

    field.setHyperLinkEnabled(false);
    EXPECT_FALSE(field.font().underline());
    EXPECT_NE(field.palette().color(QPalette::WindowText), field.palette().color(QPalette::Link));
}

// In hover mode the label is plain until pointed at, and then a whole link: underlined and in the
// link colour, not an underlined plain text.
TEST(TQNSTextFieldLinkTest, HoverModeTurnsTheWholeLinkLookOnAndOff)
{
    QWidget window;
    TQNSTextFieldLink field(u"Converted"_s, &window);
    field.setHyperLinkEnabled(false);
    field.setHyperLinkEnabledOnMouseOverOnly(true);
    EXPECT_FALSE(field.font().underline());

    hover(field, true);
    EXPECT_TRUE(field.hyperLinkEnabled());
    EXPECT_TRUE(looksLikeALink(field));
    hover(field, false);
    EXPECT_FALSE(field.hyperLinkEnabled());
    EXPECT_FALSE(field.font().underline());

    // An empty label never becomes a link.
    field.setText({});
    hover(field, true);
    EXPECT_FALSE(field.hyperLinkEnabled());
}

} // namespace
} // namespace sonvale::test
