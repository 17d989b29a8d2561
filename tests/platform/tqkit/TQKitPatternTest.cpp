#include "platform/tqkit/TQKitPattern.h"
#include "platform/tqkit/TQKitPatternModifiers.h"
#include "platform/tqkit/TQKitPatternRenderer.h"
#include "platform/tqkit/TQKitTagValuesTextSource.h"
#include "platform/tqkit/TQKitTextSourceChain.h"
#include "platform/tqkit/TQKitUtf8.h"
#include "platform/tqkit/TQPatternList.h"
#include "platform/tqkit/TQTokenArrays.h"

#include <gtest/gtest.h>

namespace {

TQKitTokenList parse(std::string_view text, uint32_t flags = kTQKitPatternPlain)
{
    TQKitTokenList list;
    EXPECT_TRUE(TQKitPatternParse(&list, text, flags));
    return list;
}

// "K:name" for a key token, "L:text" for literal text.
std::vector<std::string> describe(const TQKitTokenArray& list)
{
    std::vector<std::string> out;
    for (const TQKitPatternToken* token : list.tokens())
        out.push_back(token->isKey() ? "K:" + std::string(token->key()->name) : "L:" + token->literalText());
    return out;
}

TEST(TQKitPatternTest, EveryBuiltInPatternParsesAndJoinsBackUnchanged)
{
    for (const uint32_t flags : {1u, 105u, 209u}) {
        const std::optional<TQPatternList> list = TQPatternListSplit(TQPatternListBuiltIn(flags));
        ASSERT_TRUE(list);
        for (const std::string& pattern : *list) {
            const TQKitTokenList tokens = parse(pattern, flags);
            EXPECT_EQ(TQKitPatternJoin(tokens), pattern);
            for (const TQKitPatternToken* token : tokens.tokens()) {
                if (token->literalText().find("{{") != std::string::npos)
                    ADD_FAILURE() << "a key of " << pattern << " stayed literal";
            }
        }
    }
}

TEST(TQKitPatternTest, KeysMatchWithoutRegardToCaseAndKeepTheirSpelling)
{
    const TQKitTokenList list = parse("{{trackNumber}}{{tracknumber}}{{TRACKNUMBER}}");
    ASSERT_EQ(list.size(), 3u);
    for (const TQKitPatternToken* token : list.tokens()) {
        ASSERT_TRUE(token->isKey());
        EXPECT_EQ(token->key(), TQKitTagKeyFind("trackNumber"));
    }
    EXPECT_EQ(TQKitPatternJoin(list), "{{trackNumber}}{{tracknumber}}{{TRACKNUMBER}}");
    EXPECT_EQ(TQKitTagName(7), std::string("trackNumber"));
    EXPECT_EQ(TQKitTagName(11), nullptr);
}

TEST(TQKitPatternTest, WhatIsNotAKeyStaysLiteralText)
{
    struct Case {
        const char* text;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"{{foo}} - {{title}}", {"L:{{foo}} - ", "K:title"}},
        {"a {{b", {"L:a {{b"}},
        {"{{{artist}}}", {"L:{", "K:artist", "L:}"}},
        {"{{artist:3}}", {"L:{{artist:3}}"}},          // no digits for a text key
        {"{{trackNumber:9}}", {"L:{{trackNumber:9}}"}}, // beyond the key's digits
        {"}}{{", {"L:}}{{"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        const TQKitTokenList list = parse(c.text);
        EXPECT_EQ(describe(list), c.tokens) << c.text;
        EXPECT_EQ(TQKitPatternJoin(list), c.text);
    }
}

TEST(TQKitPatternTest, NumberKeysCarryTheirDigits)
{
    TQKitTokenList list = parse("{{trackNumber:3}} {{title}}");
    TQKitPatternToken* track = const_cast<TQKitPatternToken*>(list.tokens()[0]);
    EXPECT_EQ(track->flags(), kTQKitTokenIsKey);
    EXPECT_EQ(track->formatFlags(), kTQKitTokenNumberFormatting);
    int32_t value = 0;
    ASSERT_TRUE(track->msgctl(kTQKitTokenQueryMinDigits, &value));
    EXPECT_EQ(value, 1);
    ASSERT_TRUE(track->msgctl(kTQKitTokenQueryMaxDigits, &value));
    EXPECT_EQ(value, 3);
    ASSERT_TRUE(track->msgctl(kTQKitTokenQueryDigits, &value));
    EXPECT_EQ(value, 3);
    value = 1;
    ASSERT_TRUE(track->msgctl(kTQKitTokenSetDigits, &value));
    EXPECT_EQ(track->textPattern(), "{{trackNumber:1}}");
    value = 4;
    EXPECT_FALSE(track->msgctl(kTQKitTokenSetDigits, &value)); // outside 1..3
    EXPECT_FALSE(track->msgctl(0x12345678, &value));
    value = 2;
    ASSERT_TRUE(track->msgctl(kTQKitTokenSetDigits, &value));
    EXPECT_EQ(track->textPattern(), "{{trackNumber}}"); // the default is not written

    TQKitPatternToken* title = const_cast<TQKitPatternToken*>(list.tokens()[2]);
    EXPECT_EQ(title->formatFlags(), 0);
    EXPECT_FALSE(title->msgctl(kTQKitTokenQueryDigits, &value));
    EXPECT_EQ(title->textDisplay(), "Title");
    EXPECT_EQ(list.tokens()[1]->flags(), kTQKitTokenHasOwnPattern);
    EXPECT_EQ(list.tokens()[1]->textDisplay(), " ");

    std::unique_ptr<TQKitPatternToken> copy = track->copy();
    value = 3;
    track->msgctl(kTQKitTokenSetDigits, &value);
    EXPECT_EQ(copy->digits(), 2); // copies share nothing
}

TEST(TQKitPatternTest, ModifiersTravelInThePatternText)
{
    const TQKitTokenList list = parse("{{artist}} - {{title}}{{spacing:underscores}}{{case:lower}}");
    EXPECT_EQ(list.modFlags(), kTQKitModUnderscores | kTQKitModLowerCase);
    EXPECT_EQ(describe(list), (std::vector<std::string>{"K:artist", "L: - ", "K:title"}));
    EXPECT_EQ(TQKitPatternJoin(list), "{{artist}} - {{title}}{{spacing:underscores}}{{case:lower}}");
    EXPECT_EQ(list.displayText(), "Underscores, lower case");

    struct Case {
        uint32_t flags;
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {kTQKitModUnderscores, "Nora Vale - Tide", "Nora_Vale_-_Tide"},
        {kTQKitModSpaces, "Nora_Vale", "Nora Vale"},
        {kTQKitModNoSpaces, "Nora Vale", "NoraVale"},
        {kTQKitModUnderscores | kTQKitModNoSpaces, "a b", "a_b"}, // the first of the group wins
        {kTQKitModLowerCase, "ÉTÉ Song", "été song"},
        {kTQKitModUpperCase, "été song", "ÉTÉ SONG"},
        {kTQKitModTitleCase, "the WILD one-two", "The Wild One-Two"},
        {kTQKitModSentenceCase, "the WILD one", "The wild one"},
        {kTQKitModCapitalizeWords, "the WILD one", "The WILD One"},
        {kTQKitModLowerCase | kTQKitModCapitalizeWords, "AB", "ab"},
        {0, "As It Is", "As It Is"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TQKitModApply(c.in, c.flags), c.out) << c.flags << " " << c.in;
}

TEST(TQKitPatternTest, SplitFormHasOneTokenPerCharacterNotPerByte)
{
    const TQKitTokenList list = parse("{{artist}} – é{{title}}");
    const TQKitTokenList split = TQTokenArraySplit(list);
    // artist, " ", "–" (3 bytes), " ", "é" (2 bytes), title
    EXPECT_EQ(describe(split),
              (std::vector<std::string>{"K:artist", "L: ", "L:–", "L: ", "L:é", "K:title"}));
    EXPECT_EQ(describe(TQTokenArrayJoin(split)), describe(list));
    EXPECT_EQ(TQKitUtf8Characters("a\xFF\xC3\xA9").size(), 3u); // a malformed byte counts once
}

TEST(TQKitPatternTest, TokenArraysFromTextAndBack)
{
    uint32_t modFlags = 99;
    EXPECT_TRUE(TQTokenArrayWithString("", 1, &modFlags).empty());
    EXPECT_EQ(modFlags, 0u);
    EXPECT_EQ(TQTokenArrayPattern(TQKitTokenList(), 105, 0), "");

    // Typed key text in pieces and neighbouring literal runs merge when joined.
    TQKitTokenList typed;
    typed.append(TQKitPatternToken::makeLiteral("{{al"));
    typed.append(TQKitPatternToken::makeLiteral("bum}} "));
    typed.append(TQKitPatternToken::makeLiteral("x"));
    EXPECT_EQ(describe(TQTokenArrayJoin(typed)), (std::vector<std::string>{"K:album", "L: x"}));

    TQKitTokenList appended;
    TQTokenArrayAppendText(&appended, "x{{genre}}y{{year}}");
    TQTokenArrayAppendText(&appended, "plain");
    TQTokenArrayAppendText(&appended, "");
    EXPECT_EQ(describe(appended), (std::vector<std::string>{"K:genre", "L:plain"}));

    EXPECT_EQ(TQTokenArrayPattern(parse("{{title}}"), 105, kTQKitModUpperCase),
              "{{title}}{{case:upper}}");
}

TEST(TQKitPatternTest, TokenTableOffersEveryMenuKeyWithSeparators)
{
    const TQKitTokenArray& table = TQKitTokenTable();
    EXPECT_EQ(&table, &TQKitTokenTable()); // built once
    size_t separators = 0;
    for (const TQKitPatternToken* token : table.tokens()) {
        if (token->isKey()) {
            EXPECT_FALSE(token->textDisplay().empty());
            EXPECT_EQ(TQKitPatternJoin(parse(token->textPattern())), token->textPattern());
        } else {
            ++separators;
            EXPECT_EQ(token->textPattern(), "-");
        }
    }
    EXPECT_GT(separators, 0u);
    for (const char* name : {"artist", "album", "title", "genre", "trackNumber", "initialKey", "mood", "tempo"}) {
        const bool offered = std::any_of(table.tokens().begin(), table.tokens().end(), [name](const TQKitPatternToken* t) {
            return t->isKey() && std::string(t->key()->name) == name;
        });
        EXPECT_TRUE(offered) << name;
    }
}

TEST(TQKitPatternTest, SamplesRenderWithTheSampleObjectBeforeTheDefaults)
{
    const TQKitTokenList list = parse("{{tracknumber}} - {{artist}} - {{title}}", kTQKitPatternFlagsFileName);
    EXPECT_EQ(TQKitTokenListSampleText(list, TQKitDefaultSampleTextSource(), 0),
              "03 - Nora Vale - Morning Tide");

    const TQKitTagValues object = {{"ARTIST", "Quiet Harbour"}};
    const std::unique_ptr<TQKitTokenTextSource> sample = TQKitSampleTextSourceCreate(&object);
    EXPECT_EQ(TQKitSampleTextSourceCreate(nullptr), nullptr);
    const TQKitTextSourceChain chain{sample.get(), &TQKitDefaultSampleTextSource(), nullptr};
    EXPECT_EQ(TQKitTokenListSampleText(list, chain, 0), "03 - Quiet Harbour - Morning Tide");

    TQKitTokenList folders = parse("{{genre}}/{{artist}}{{case:upper}}", kTQKitPatternFlagsFolders);
    EXPECT_EQ(TQKitTokenListSampleText(folders, chain, 0), "AMBIENT/QUIET HARBOUR");
    TQKitPatternApplyFlags(&folders, kTQKitPatternFlagsFileName);
    EXPECT_EQ(TQKitTokenListSampleText(folders, chain, 0), "AMBIENT-QUIET HARBOUR");
}

TEST(TQKitPatternTest, RenderVisitsTokensWithTheirKind)
{
    struct Collect final : TQKitTokenVisitor {
        std::vector<std::string> seen;
        void visit(const std::string& text, const TQKitTokenInfo& info) override
        {
            seen.push_back((info.flags & 1 ? "K:" : "L:") + text);
        }
    };
    const TQKitTokenList list = parse("{{artist}} - {{mood}}");
    const TQKitTagValues values = {{"artist", "Nora"}};
    const TQKitTagValuesTextSource source(values);

    Collect plain;
    TQKitTokenListRender(plain, source, list, kTQKitPatternFlagsFileName);
    EXPECT_EQ(plain.seen, (std::vector<std::string>{"K:Nora", "L: - "}));

    Collect menu;
    TQKitTokenListRender(menu, source, list, kTQKitPatternFlagsFileName | 0x06);
    EXPECT_EQ(menu.seen, (std::vector<std::string>{"K:Nora", "L: - ", "K:Mood"}));
}

} // namespace
