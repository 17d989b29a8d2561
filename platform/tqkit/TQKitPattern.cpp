#include "platform/tqkit/TQKitPattern.h"

#include "platform/tqkit/TQKitPatternModifiers.h"
#include "platform/tqkit/TQKitTextTrim.h"
#include "platform/tqkit/TQKitUtf8.h"

namespace {

// The key token written between braces as "name" or "name:digits"; null when it is none.
std::unique_ptr<TQKitPatternToken> keyToken(std::string_view inner)
{
    const size_t colon = inner.find(':');
    const std::string_view name = inner.substr(0, colon);
    const TQKitTagKey* key = TQKitTagKeyFind(name);
    if (!key)
        return nullptr;
    if (colon == std::string_view::npos)
        return TQKitPatternToken::makeKey(*key, std::string(name));
    const std::string_view digits = inner.substr(colon + 1);
    if (key->minDigits == 0 || digits.size() != 1 || digits[0] < '0' + key->minDigits ||
        digits[0] > '0' + key->maxDigits)
        return nullptr;
    return TQKitPatternToken::makeKey(*key, std::string(name), digits[0] - '0');
}

} // namespace

bool TQKitPatternParse(TQKitTokenList* list, std::string_view text, uint32_t patternFlags)
{
    if (!list)
        return false;
    list->setPatternFlags(patternFlags);
    uint32_t modFlags = list->modFlags();
    std::string literal;
    const auto flushLiteral = [&] {
        if (!literal.empty())
            list->append(TQKitPatternToken::makeLiteral(std::move(literal)));
        literal.clear();
    };
    for (size_t i = 0; i < text.size();) {
        if (text.substr(i, 2) == "{{") {
            const size_t close = text.find("}}", i + 2);
            const std::string_view inner =
                close == std::string_view::npos ? std::string_view() : text.substr(i + 2, close - i - 2);
            if (close != std::string_view::npos && inner.find_first_of("{}") == std::string_view::npos) {
                if (const uint32_t directive = TQKitModDirectiveFlag(inner)) {
                    modFlags |= directive;
                    i = close + 2;
                    continue;
                }
                if (std::unique_ptr<TQKitPatternToken> key = keyToken(inner)) {
                    flushLiteral();
                    list->append(std::move(key));
                    i = close + 2;
                    continue;
                }
            }
        }
        literal += text[i++];
    }
    flushLiteral();
    list->setModFlags(modFlags);
    return true;
}

std::string TQKitPatternJoin(const TQKitTokenArray& array)
{
    std::string text;
    for (const TQKitPatternToken* token : array.tokens()) {
        if (token)
            text += token->textPattern();
    }
    return text + TQKitModDirectives(array.modFlags());
}

void TQKitPatternApplyFlags(TQKitTokenArray* array, uint32_t patternFlags)
{
    if (array)
        array->setPatternFlags(patternFlags);
}

void TQKitTokenListSplit(TQKitTokenList* out, const TQKitTokenArray& in)
{
    if (!out)
        return;
    for (const TQKitPatternToken* token : in.tokens()) {
        if (!token)
            continue;
        if (token->isKey()) {
            out->append(token->copy());
            continue;
        }
        for (const std::string_view character : TQKitUtf8Characters(token->literalText()))
            out->append(TQKitPatternToken::makeLiteral(std::string(character)));
    }
    out->setModFlags(in.modFlags());
    out->setPatternFlags(in.patternFlags());
}

const TQKitTokenArray& TQKitTokenTable()
{
    static const TQKitTokenList table = [] {
        TQKitTokenList list;
        for (const TQKitTagKey& key : TQKitTagKeys()) {
            if (!key.inMenu)
                continue;
            list.append(key.name ? TQKitPatternToken::makeKey(key, key.name)
                                 : TQKitPatternToken::makeLiteral("-"));
        }
        return list;
    }();
    return table;
}

std::unique_ptr<TQKitPatternToken> TQKitPatternTokenFromText(std::string_view text, bool trim)
{
    TQKitTokenList list;
    TQKitPatternParse(&list, trim ? TQKitTextTrim(text) : std::string(text), kTQKitPatternPlain);
    for (const TQKitPatternToken* token : list.tokens()) {
        if (token->isKey())
            return token->copy();
    }
    return list.empty() ? nullptr : list.tokens().front()->copy();
}
