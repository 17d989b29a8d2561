#include "platform/system/Utf16.h"

#include <gtest/gtest.h>

using namespace sonvale;

TEST(Utf16Test, CountsCodeUnitsOfValidAndInvalidText)
{
    const std::pair<std::string, size_t> cases[] = {
        {"", 0},
        {"abc", 3},
        {"\xc3\xa9", 1},         // é
        {"\xe2\x82\xac", 1},     // €
        {"\xf0\x9f\x98\x80", 2}, // 😀 needs a surrogate pair
        {"\xff\xfe", 2},         // two stray bytes, one replacement each
        {"\xe2\x82", 2},         // a cut sequence
        {"\xed\xa0\x80", 3},     // an encoded surrogate is not valid UTF-8
    };
    for (const auto& [text, units] : cases)
        EXPECT_EQ(utf16Length(text), units) << text;
}

TEST(Utf16Test, TruncationNeverSplitsACharacter)
{
    const std::string smile = "\xf0\x9f\x98\x80";
    const std::tuple<std::string, size_t, std::string> cases[] = {
        {"abcdef", 3, "abc"},
        {"ab" + smile, 3, "ab"}, // the pair would be cut in half
        {"ab" + smile, 4, "ab" + smile},
        {"a\xc3\xa9z", 2, "a\xc3\xa9"},
        {"abc", 10, "abc"},
        {"a\xffz", 2, "a\xff"},
    };
    for (const auto& [text, limit, expected] : cases)
        EXPECT_EQ(truncateToUtf16Units(text, limit), expected) << text << " " << limit;
}
