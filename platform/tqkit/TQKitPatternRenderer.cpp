#include "platform/tqkit/TQKitPatternRenderer.h"

#include "platform/tqkit/TQKitPattern.h"
#include "platform/tqkit/TQKitPatternModifiers.h"
#include "platform/tqkit/TQKitTagValuesTextSource.h"

#include <vector>

namespace {

// A number key's value padded to its digits: the leading number of "3/12" becomes "03".
std::string formatNumber(const TQKitPatternToken& token, const std::string& value)
{
    size_t digits = 0;
    while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9')
        ++digits;
    if (digits == 0)
        return value;
    std::string number = value.substr(0, digits);
    if (number.size() < static_cast<size_t>(token.digits()))
        number.insert(0, static_cast<size_t>(token.digits()) - number.size(), '0');
    return number;
}

std::string keyText(const TQKitPatternToken& token, const TQKitTokenTextSource& source)
{
    std::string value;
    if (!source.text(token, value))
        return {};
    return token.formatFlags() & kTQKitTokenNumberFormatting ? formatNumber(token, value) : value;
}

// The levels of the rendering before they are made safe. Tag values never split levels.
std::vector<std::string> rawLevels(const TQKitTokenArray& list, const TQKitTokenTextSource& source,
                                   bool folders)
{
    std::vector<std::string> levels(1);
    for (const TQKitPatternToken* token : list.tokens()) {
        if (!token)
            continue;
        if (token->isKey()) {
            levels.back() += keyText(*token, source);
            continue;
        }
        for (const char c : token->literalText()) {
            if (folders && c == '/')
                levels.emplace_back();
            else
                levels.back() += c;
        }
    }
    return levels;
}

bool anyKeyHasValue(const TQKitTokenArray& list, const TQKitTokenTextSource& source)
{
    for (const TQKitPatternToken* token : list.tokens())
        if (token && token->isKey() && !keyText(*token, source).empty())
            return true;
    return false;
}

std::string renderRelativePath(const TQKitTokenArray& list, const TQKitTokenTextSource& source,
                               bool folders, size_t maxNameBytes)
{
    std::string path;
    for (const std::string& level : rawLevels(list, source, folders)) {
        const std::string name = TQKitNameFilter(TQKitModApply(level, list.modFlags()), 0, maxNameBytes);
        if (name.empty())
            continue;
        if (!path.empty())
            path += '/';
        path += name;
    }
    return path;
}

} // namespace

std::string TQKitPatternRenderPath(std::string_view pattern, const TQKitTagValues& tags,
                                   const TQKitPatternRenderOptions& options)
{
    TQKitTokenList list;
    TQKitPatternParse(&list, pattern, options.folders ? kTQKitPatternFlagsFolders
                                                      : kTQKitPatternFlagsFileName);
    const TQKitTagValuesTextSource source(tags);
    if (options.emptyWithoutValues && !anyKeyHasValue(list, source))
        return {};
    std::string path = renderRelativePath(list, source, options.folders, options.maxNameBytes);
    if (!path.empty())
        return path;
    path = TQKitNameFilter(options.fallbackName, 0, options.maxNameBytes);
    if (path.empty() && !options.folders)
        path = TQKitNameFilter(TQKitPatternRenderOptions().fallbackName, 0, options.maxNameBytes);
    return path;
}

std::string TQKitTokenListSampleText(const TQKitTokenArray& list, const TQKitTokenTextSource& source,
                                     uint32_t /*reserved*/)
{
    return renderRelativePath(list, source, list.patternFlags() & kTQKitPatternFolders,
                              kTQKitNameMaxBytes);
}

void TQKitTokenListRender(TQKitTokenVisitor& visitor, const TQKitTokenTextSource& source,
                          const TQKitTokenArray& list, uint32_t patternFlags)
{
    for (const TQKitPatternToken* token : list.tokens()) {
        if (!token)
            continue;
        if (!token->isKey()) {
            visitor.visit(token->literalText(), {token, 0});
            continue;
        }
        std::string text;
        if (source.text(*token, text))
            visitor.visit(text, {token, kTQKitTokenIsKey});
        else if (patternFlags & kTQKitPatternDisplayKeys)
            visitor.visit(token->textDisplay(), {token, kTQKitTokenIsKey});
    }
}
