#include "platform/system/Uuid.h"

#include <gtest/gtest.h>

using namespace sonvale;

TEST(UuidTest, RandomIdentifiersAreVersionFourAndRoundTripThroughText)
{
    const Uuid a = Uuid::random();
    const Uuid b = Uuid::random();
    EXPECT_NE(a, b);
    EXPECT_EQ(a.bytes()[6] >> 4, 4);
    EXPECT_EQ(a.bytes()[8] & 0xc0, 0x80);
    const std::string text = a.toString();
    ASSERT_EQ(text.size(), 36u);
    EXPECT_EQ(text, Uuid::fromString(text)->toString());
}

TEST(UuidTest, ParsesEitherCaseAndRejectsMalformedText)
{
    const auto parsed = Uuid::fromString("0f8fad5b-d9cb-469f-a165-70867728950e");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->toString(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    for (const char* bad :
         {"", "0f8fad5b-d9cb-469f-a165-70867728950", "0f8fad5bd-9cb-469f-a165-70867728950e",
          "0f8fad5b-d9cb-469f-a165-70867728950g", "{0f8fad5b-d9cb-469f-a165-70867728950e}"})
        EXPECT_FALSE(Uuid::fromString(bad)) << bad;
}
