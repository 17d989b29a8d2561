#include "platform/tqkit-ui/TQKitAssociatedObject.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(TQKitAssociatedObjectTest, TypedLookupAndOwnership)
{
    auto control = std::make_unique<QLabel>();
    QPointer<QTimer> owned = new QTimer;
    TQKitSetAssociatedObject(control.get(), "controller", owned, true);
    EXPECT_EQ(TQKitGetAssociatedObject<QTimer>(control.get(), "controller"), owned);
    EXPECT_EQ(TQKitGetAssociatedObject<QLabel>(control.get(), "controller"), nullptr); // other class
    EXPECT_EQ(TQKitGetAssociatedObject(control.get(), "other"), nullptr);

    // The same object again stays alive; a replacement releases the retained one.
    TQKitSetAssociatedObject(control.get(), "controller", owned, true);
    ASSERT_FALSE(owned.isNull());
    QTimer weakValue;
    TQKitSetAssociatedObject(control.get(), "controller", &weakValue, false);
    EXPECT_TRUE(owned.isNull());
    EXPECT_EQ(TQKitGetAssociatedObject<QTimer>(control.get(), "controller"), &weakValue);

    // A weak value read after its death is none; a retained one dies with its object.
    auto shortLived = std::make_unique<QTimer>();
    TQKitSetAssociatedObject(control.get(), "weak", shortLived.get(), false);
    shortLived.reset();
    EXPECT_EQ(TQKitGetAssociatedObject(control.get(), "weak"), nullptr);
    QPointer<QTimer> retained = new QTimer;
    TQKitSetAssociatedObject(control.get(), "retained", retained, true);
    control.reset();
    EXPECT_TRUE(retained.isNull());
}

} // namespace
