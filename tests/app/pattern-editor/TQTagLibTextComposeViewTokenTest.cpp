#include "app/pattern-editor/TQTagLibTextComposeViewToken.h"

#include "app/pattern-editor/TQTagLibTextComposeViewTokenField.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit/TQKitTagKeys.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Token = TQTagLibTextComposeViewToken;

QStringList patternsOf(const TQTokenObjectArray& tokens)
{
    QStringList patterns;
    for (const TQTokenObject& token : tokens)
        patterns.append(token->textPattern());
    return patterns;
}

TEST(TQTagLibTextComposeViewTokenTest, TypedTextStandsForItsFirstKeyElseForItsLiteralText)
{
    const TQTokenObject literal = Token::tokenWithString(u" - "_s);
    ASSERT_TRUE(literal);
    EXPECT_FALSE(literal->isKey());
    EXPECT_EQ(literal->tokenStyle(), Token::Style::Plain);
    EXPECT_EQ(literal->textPattern(), u" - "_s);

    const TQTokenObject key = Token::tokenWithString(u"by {{artist}} on {{album}}"_s);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->isKey());
    EXPECT_EQ(key->tokenStyle(), Token::Style::Rounded);
    EXPECT_EQ(key->textPattern(), u"{{artist}}"_s);
    EXPECT_EQ(key->textDisplay(), u"Artist"_s);

    EXPECT_FALSE(Token::tokenWithString(QString()));
    EXPECT_EQ(Token::tokenWithString(u"  {{title}}  "_s, true)->textPattern(), u"{{title}}"_s);
}

TEST(TQTagLibTextComposeViewTokenTest, CopiesNeverShareTheirPatternToken)
{
    const TQTokenObject track = Token::tokenWithString(u"{{trackNumber}}"_s);
    const TQTokenObject copy = track->copy();
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->patternToken(), track->patternToken());
    copy->chooseDigits(3, nullptr);
    EXPECT_EQ(copy->textPattern(), u"{{trackNumber:3}}"_s);
    EXPECT_EQ(track->textPattern(), u"{{trackNumber}}"_s);

    EXPECT_FALSE(Token(nullptr).copy());
}

TEST(TQTagLibTextComposeViewTokenTest, NumberKeysOfferTheirDigitsInAMenuAndOtherKeysNone)
{
    struct Case {
        QString pattern;
        QStringList titles;
    };
    // Track numbers take 1 to 3 digits, disc numbers 1 or 2; the title has no digits.
    for (const Case& c : {Case{u"{{trackNumber}}"_s, {u"1"_s, u"02"_s, u"003"_s}},
                          Case{u"{{discNumber}}"_s, {u"1"_s, u"02"_s}}, Case{u"{{title}}"_s, {}}}) {
        SCOPED_TRACE(c.pattern.toStdString());
        const TQTokenObject token = Token::tokenWithString(c.pattern);
        const std::unique_ptr<QMenu> menu = token->menu(nullptr);
        EXPECT_EQ(token->hasMenu(), !c.titles.isEmpty());
        // The blanks after the text leave room for the chip's menu mark.
        EXPECT_EQ(token->textDisplay().endsWith(u"   "_s), token->hasMenu());
        if (c.titles.isEmpty()) {
            EXPECT_FALSE(menu);
            continue;
        }
        ASSERT_TRUE(menu);
        QStringList titles;
        for (const QAction* item : menu->actions()) {
            titles.append(item->text());
            EXPECT_EQ(item->isChecked(), TQKitMenuItemTag(item) == 2) << "two digits are the default";
        }
        EXPECT_EQ(titles, c.titles);
    }
}

TEST(TQTagLibTextComposeViewTokenTest, ChoosingDigitsChangesTheChipInTheFieldAndAnnouncesIt)
{
    TQTagLibTextComposeViewTokenField field;
    field.setObjectValue(Token::tokenArrayWithString(u"{{trackNumber}} - {{title}}"_s));
    QSignalSpy changed(&field, &TQTagLibTextComposeViewTokenField::patternDidChange);
    const TQTokenObject track = field.objectValue().front();
    const std::unique_ptr<QMenu> menu = track->menu(&field);
    ASSERT_TRUE(menu);
    QAction* three = TQKitMenuItemWithTag(menu.get(), 3);
    ASSERT_TRUE(three);
    three->trigger();
    EXPECT_EQ(Token::tokenArrayPattern(field.objectValue()), u"{{trackNumber:3}} - {{title}}"_s);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(track->menu(&field)->actions()[2]->isChecked());
}

TEST(TQTagLibTextComposeViewTokenTest, TheMenuOfAllTokensOffersEveryKeyWithSeparatorsAndNoOtherText)
{
    QWidget owner;
    QList<QAction*> chosen;
    QMenu* menu = Token::menuMain(&owner, [&](QAction* item) { chosen.append(item); });
    int keys = 0;
    int separators = 0;
    for (const TQKitTagKey& key : TQKitTagKeys()) {
        if (key.inMenu)
            ++(key.name ? keys : separators);
    }
    int menuKeys = 0;
    for (QAction* item : menu->actions()) {
        if (item->isSeparator())
            continue;
        ++menuKeys;
        ASSERT_TRUE(Token::tokenObjectOfItem(item)) << item->text().toStdString();
        EXPECT_TRUE(Token::tokenObjectOfItem(item)->isKey());
    }
    EXPECT_EQ(menuKeys, keys);
    EXPECT_EQ(menu->actions().size(), keys + separators);
    EXPECT_EQ(menu->actions().front()->text(), u"Title"_s);
    menu->actions().front()->trigger();
    EXPECT_EQ(chosen.size(), 1);
}

TEST(TQTagLibTextComposeViewTokenTest, PatternsSurviveParsingAndWritingAndSplitIntoOnePositionPerCharacter)
{
    struct Case {
        QString pattern;
        QStringList tokens;
        qsizetype positions;
    };
    const QList<Case> cases = {
        {u"{{artist}} - {{title}}"_s, {u"{{artist}}"_s, u" - "_s, u"{{title}}"_s}, 5},
        {u"{{genre}}/{{artist}}"_s, {u"{{genre}}"_s, u"/"_s, u"{{artist}}"_s}, 3},
        // Characters, not bytes or UTF-16 units, are positions.
        {u"Café ♪ {{title}} 🎵"_s, {u"Café ♪ "_s, u"{{title}}"_s, u" 🎵"_s}, 10},
        {u"{{trackNumber:3}}. {{title}}"_s, {u"{{trackNumber:3}}"_s, u". "_s, u"{{title}}"_s}, 4},
        {u"no keys at all"_s, {u"no keys at all"_s}, 14},
        {u""_s, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern.toStdString());
        const TQTokenObjectArray tokens = Token::tokenArrayWithString(c.pattern);
        EXPECT_EQ(patternsOf(tokens), c.tokens);
        EXPECT_EQ(Token::tokenArrayPattern(tokens), c.pattern);
        const TQTokenObjectArray split = Token::tokenArraySplit(tokens);
        EXPECT_EQ(split.size(), c.positions);
        EXPECT_EQ(patternsOf(Token::tokenArrayJoin(split)), c.tokens);
    }
}

TEST(TQTagLibTextComposeViewTokenTest, ModifiersTravelBetweenPatternTextAndModFlags)
{
    uint32_t modFlags = 0;
    const TQTokenObjectArray tokens = Token::tokenArrayWithString(u"{{title}}{{case:upper}}"_s, 1, &modFlags);
    EXPECT_EQ(patternsOf(tokens), QStringList{u"{{title}}"_s});
    EXPECT_EQ(modFlags, 0x10u);
    EXPECT_EQ(Token::tokenArrayPattern(tokens, 1, modFlags), u"{{title}}{{case:upper}}"_s);
    EXPECT_EQ(Token::tokenArrayPattern({}), QString());

    modFlags = 99;
    EXPECT_TRUE(Token::tokenArrayWithString(QString(), 1, &modFlags).isEmpty());
    EXPECT_EQ(modFlags, 0u);
}

TEST(TQTagLibTextComposeViewTokenTest, SamplesShowWhatAPatternNamesAFileWith)
{
    const TQTokenObjectArray tokens = Token::tokenArrayWithString(u"{{trackNumber}} - {{title}}"_s);
    EXPECT_EQ(Token::textSample(tokens, 105, 0), u"03 - Morning Tide"_s);
    EXPECT_EQ(Token::textSample(tokens, 105, 0x01 | 0x10), u"03_-_MORNING_TIDE"_s);
    EXPECT_EQ(Token::textSample(u"{{artist}}/{{album}}"_s, 209, 0), u"Nora Vale/Northern Lights"_s);
    // Modifiers written in the text apply unless others are given.
    EXPECT_EQ(Token::textSample(u"{{title}}{{case:lower}}"_s, 105, 0), u"morning tide"_s);
    EXPECT_EQ(Token::textSample(u"{{title}}{{case:lower}}"_s, 105, 0x10), u"MORNING TIDE"_s);

    const TQKitTagValues tags = {{"title", "Paper Boats"}};
    EXPECT_EQ(Token::textSample(tokens, 105, 0, &tags), u"03 - Paper Boats"_s)
        << "the sample object's tags, invented values for the rest";
    EXPECT_EQ(Token::textSample(TQTokenObjectArray{}, 105, 0), QString());
}

} // namespace
