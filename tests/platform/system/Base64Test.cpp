#include "platform/system/Base64.h"

#include <gtest/gtest.h>

using namespace sonvale;

TEST(Base64Test, RoundTripsTheRfcVectors)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},           {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : cases) {
        EXPECT_EQ(base64Encode(plain), encoded);
        const auto decoded = base64Decode(encoded);
        ASSERT_TRUE(decoded) << encoded;
        EXPECT_EQ(std::string(decoded->begin(), decoded->end()), plain);
    }
}

TEST(Base64Test, StrictDecodingRejectsMalformedText)
{
    for (const char* bad : {"Zg=", "Z===", "Zm9v\n", "Zm=v", "Zm9*", "=Zm9"})
        EXPECT_FALSE(base64Decode(bad)) << bad;
}

TEST(Base64Test, SkippingDecodingIgnoresEverythingOutsideTheAlphabet)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Zm9v\nYmFy", "foobar"},   {" Zm9v YmE= ", "fooba"}, {"Zm9vYg", "foob"},
        {"Z*m*9*v", "foo"},         {"====", ""},             {"Zm\r\n8=", "fo"},
    };
    for (const auto& [encoded, plain] : cases) {
        const auto decoded = base64DecodeSkippingUnknown(encoded);
        ASSERT_TRUE(decoded) << encoded;
        EXPECT_EQ(std::string(decoded->begin(), decoded->end()), plain) << encoded;
    }
    // One character after the last whole group cannot form a byte.
    EXPECT_FALSE(base64DecodeSkippingUnknown("Zm9vY"));
}
