#include "app/pattern-editor/TQTagLibTextComposeViewToken.h"

#include "app/pattern-editor/TQTagLibTextComposeViewTokenField.h"
#include "platform/tqkit-ui/TQKitAttributedString.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit/TQKitMutex.h"
#include "platform/tqkit/TQKitPatternRenderer.h"
#include "platform/tqkit/TQKitTagValuesTextSource.h"
#include "platform/tqkit/TQKitTextSourceChain.h"
#include "platform/tqkit/TQTokenArrays.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPalette>
#include <QPointer>

#include <array>

namespace {

// The token table of the menu of all tokens, built by the first caller on any thread.
TQKitMutex tableMutex;
std::unique_ptr<TQTokenObjectArray> tokenTable;

std::string toText(const QString& text) { return text.toStdString(); }
QString fromText(const std::string& text) { return QString::fromStdString(text); }

int32_t digitsQuery(TQKitPatternToken* token, uint32_t command)
{
    int32_t value = TQKitPatternToken::kDefaultDigits;
    if (!token->msgctl(command, &value))
        value = TQKitPatternToken::kDefaultDigits;
    return value;
}

QString sampleOfList(const TQKitTokenList& list, const TQKitTagValues* sampleObject)
{
    const std::unique_ptr<TQKitTokenTextSource> sampleSource = TQKitSampleTextSourceCreate(sampleObject);
    const TQKitTextSourceChain chain{sampleSource.get(), &TQKitDefaultSampleTextSource()};
    return fromText(TQKitTokenListSampleText(list, chain, 0));
}

} // namespace

TQTagLibTextComposeViewToken::TQTagLibTextComposeViewToken(std::unique_ptr<TQKitPatternToken> token)
    : token_(std::move(token))
{
}

TQTokenObject TQTagLibTextComposeViewToken::tokenWithPtrCopy(const TQKitPatternToken* token)
{
    return token ? std::make_shared<TQTagLibTextComposeViewToken>(token->copy()) : nullptr;
}

TQTokenObject TQTagLibTextComposeViewToken::tokenWithString(const QString& text, bool trim)
{
    std::unique_ptr<TQKitPatternToken> token = TQKitPatternTokenFromText(toText(text), trim);
    return token ? std::make_shared<TQTagLibTextComposeViewToken>(std::move(token)) : nullptr;
}

TQTokenObject TQTagLibTextComposeViewToken::copy() const { return tokenWithPtrCopy(token_.get()); }

bool TQTagLibTextComposeViewToken::isKey() const { return token_ && (token_->flags() & kTQKitTokenIsKey); }

bool TQTagLibTextComposeViewToken::isKeyWithNumberFormatting() const
{
    return token_ && (token_->formatFlags() & kTQKitTokenNumberFormatting);
}

bool TQTagLibTextComposeViewToken::hasMenu() const
{
    return isKeyWithNumberFormatting() &&
           digitsQuery(token_.get(), kTQKitTokenQueryMinDigits) < digitsQuery(token_.get(), kTQKitTokenQueryMaxDigits);
}

QString TQTagLibTextComposeViewToken::textDisplay() const
{
    if (!token_)
        return {};
    const QString text = fromText(token_->textDisplay());
    return hasMenu() ? text + QStringLiteral("   ") : text;
}

QString TQTagLibTextComposeViewToken::textPattern() const
{
    if (!token_)
        return {};
    if (token_->flags() & kTQKitTokenHasOwnPattern)
        return fromText(token_->textPattern());
    return fromText(TQKitPatternJoin(TQKitTokenArray({token_.get()})));
}

std::unique_ptr<QMenu> TQTagLibTextComposeViewToken::menu(TQTagLibTextComposeViewTokenField* field)
{
    if (!isKeyWithNumberFormatting())
        return nullptr;
    const int lowest = digitsQuery(token_.get(), kTQKitTokenQueryMinDigits);
    const int highest = digitsQuery(token_.get(), kTQKitTokenQueryMaxDigits);
    const int current = digitsQuery(token_.get(), kTQKitTokenQueryDigits);
    if (lowest >= highest)
        return nullptr;

    static const std::array<QString, 5> titles = {QStringLiteral("1"), QStringLiteral("02"), QStringLiteral("003"),
                                                  QStringLiteral("0004"), QStringLiteral("00005")};
    auto menu = std::make_unique<QMenu>();
    QFont font = menu->font();
    font.setPointSize(11);
    menu->setFont(font);
    TQKitMenuShowAttributedTitles(menu.get());
    const QColor link = QApplication::palette().color(QPalette::Link);
    const QPointer<TQTagLibTextComposeViewTokenField> target(field);
    for (int digits = 1; digits <= static_cast<int>(titles.size()); ++digits) {
        if (digits < lowest || digits > highest)
            continue;
        TQKitAttributedString title;
        title.alignment = Qt::AlignRight;
        title.append(titles[digits - 1], std::nullopt, link);
        std::unique_ptr<QAction> item = TQKitMakeMenuItem(titles[digits - 1], "menuAction_keyWithTrackNumberFormatting:");
        TQKitMenuItemSetAttributedTitle(item.get(), title);
        TQKitMenuItemSetTag(item.get(), digits);
        item->setCheckable(true);
        item->setChecked(digits == current);
        QObject::connect(item.get(), &QAction::triggered, menu.get(), [token = weak_from_this(), digits, target] {
            if (const TQTokenObject chosen = token.lock())
                chosen->chooseDigits(digits, target);
        });
        TQKitMenuAddItem(menu.get(), std::move(item));
    }
    return menu;
}

void TQTagLibTextComposeViewToken::chooseDigits(int digits, TQTagLibTextComposeViewTokenField* field)
{
    if (!token_)
        return;
    int32_t value = digits;
    token_->msgctl(kTQKitTokenSetDigits, &value);
    if (field)
        field->tokenRefreshed();
}

QMenu* TQTagLibTextComposeViewToken::menuMain(QWidget* parent, std::function<void(QAction*)> chosen)
{
    auto* menu = new QMenu(parent);
    for (const TQTokenObject& token : tokenArrayTable()) {
        if (token->isKey()) {
            std::unique_ptr<QAction> item = TQKitMakeMenuItem(token->textDisplay(), "plusButtonMenuAction:");
            item->setData(QVariant::fromValue(token));
            TQKitMenuAddItem(menu, std::move(item));
        } else if (token->textPattern() == u"-") {
            TQKitMenuAddSeparator(menu);
        }
    }
    QObject::connect(menu, &QMenu::triggered, menu, std::move(chosen));
    return menu;
}

TQTokenObject TQTagLibTextComposeViewToken::tokenObjectOfItem(const QAction* item)
{
    return item ? item->data().value<TQTokenObject>() : nullptr;
}

QString TQTagLibTextComposeViewToken::textSample(const TQTokenObjectArray& tokens, uint32_t patternFlags,
                                                 uint32_t modFlags, const TQKitTagValues* sampleObject)
{
    TQKitTokenList list;
    tokenArrayCopyObjects(&list, tokens);
    TQKitPatternApplyFlags(&list, patternFlags);
    list.setModFlags(modFlags);
    return sampleOfList(list, sampleObject);
}

QString TQTagLibTextComposeViewToken::textSample(const QString& pattern, uint32_t patternFlags, uint32_t modFlags,
                                                 const TQKitTagValues* sampleObject)
{
    TQKitTokenList list;
    TQKitPatternParse(&list, toText(pattern), patternFlags);
    if (modFlags != 0)
        list.setModFlags(modFlags);
    return sampleOfList(list, sampleObject);
}

const TQTokenObjectArray& TQTagLibTextComposeViewToken::tokenArrayTable()
{
    std::lock_guard lock(tableMutex);
    if (!tokenTable)
        tokenTable = std::make_unique<TQTokenObjectArray>(tokenArrayCopy(TQKitTokenTable()));
    return *tokenTable;
}

TQTokenObjectArray TQTagLibTextComposeViewToken::tokenArrayWithString(const QString& text, uint32_t patternFlags,
                                                                      uint32_t* modFlags)
{
    return tokenArrayCopy(TQTokenArrayWithString(toText(text), patternFlags, modFlags));
}

TQTokenObjectArray TQTagLibTextComposeViewToken::tokenArraySplit(const TQTokenObjectArray& tokens)
{
    TQKitTokenList list;
    tokenArrayCopyObjects(&list, tokens);
    return tokenArrayCopy(TQTokenArraySplit(list));
}

TQTokenObjectArray TQTagLibTextComposeViewToken::tokenArrayJoin(const TQTokenObjectArray& tokens)
{
    TQKitTokenList list;
    tokenArrayCopyObjects(&list, tokens);
    return tokenArrayCopy(TQTokenArrayJoin(list));
}

QString TQTagLibTextComposeViewToken::tokenArrayPattern(const TQTokenObjectArray& tokens, uint32_t patternFlags,
                                                        uint32_t modFlags)
{
    TQKitTokenList list;
    tokenArrayCopyObjects(&list, tokens);
    return fromText(TQTokenArrayPattern(list, patternFlags, modFlags));
}

TQTokenObjectArray TQTagLibTextComposeViewToken::tokenArrayCopy(const TQKitTokenArray& array)
{
    TQTokenObjectArray tokens;
    for (const TQKitPatternToken* token : array.tokens()) {
        if (token)
            tokens.append(tokenWithPtrCopy(token));
    }
    return tokens;
}

void TQTagLibTextComposeViewToken::tokenArrayCopyObjects(TQKitTokenList* list, const TQTokenObjectArray& tokens)
{
    if (!list)
        return;
    for (const TQTokenObject& token : tokens) {
        if (token && token->patternToken())
            list->append(token->patternToken()->copy());
    }
}
