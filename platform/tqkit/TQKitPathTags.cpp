#include "platform/tqkit/TQKitPathTags.h"

#include "platform/tqkit/TQKitPattern.h"
#include "platform/tqkit/TQKitPatternModifiers.h"
#include "platform/tqkit/TQKitTextTrim.h"
#include "platform/tqkit/TQKitUtf8.h"

#include <algorithm>
#include <optional>
#include <span>

namespace {

constexpr const char* kFileNamePatterns[] = {
    "{{trackNumber}} - {{title}}",
    "{{trackNumber}}. {{title}}",
    "{{trackNumber}} {{title}}",
    "{{trackNumber}}-{{title}}",
    "{{artist}} - {{title}}",
    "{{title}}",
};
constexpr const char* kFolderPatterns[] = {
    "{{artist}}/{{album}}/CD{{discNumber}}",
    "{{artist}}/{{album}}/CD {{discNumber}}",
    "{{artist}}/{{album}}/Disc {{discNumber}}",
    "{{artist}}/{{year}} - {{album}}",
    "{{artist}} - {{album}}",
    "{{artist}}/{{album}}",
};

// Names longer than this are no one's naming scheme; matching them is not worth the work.
constexpr size_t kMaxLevelBytes = 1024;

constexpr uint32_t kSpacingModFlags = kTQKitModUnderscores | kTQKitModSpaces | kTQKitModNoSpaces;

// One piece of a pattern level: a key, or literal text as it appears in names.
struct Piece {
    const TQKitTagKey* key = nullptr;
    std::string literal;
};
using Level = std::vector<Piece>;

struct ParsedPattern {
    std::vector<Level> levels;
    bool underscoresForSpaces = false;
};

ParsedPattern parsePattern(std::string_view text, bool folders)
{
    TQKitTokenList list;
    TQKitPatternParse(&list, text, folders ? kTQKitPatternFlagsFolders : kTQKitPatternFlagsFileName);
    ParsedPattern pattern;
    pattern.underscoresForSpaces = list.modFlags() & kTQKitModUnderscores;
    pattern.levels.emplace_back();
    const auto appendLiteral = [&](const std::string& literal) {
        if (literal.empty())
            return;
        // Names were written with the pattern's spacing modifier; case is compared loosely anyway.
        const std::string spaced = TQKitModApply(literal, list.modFlags() & kSpacingModFlags);
        Level& level = pattern.levels.back();
        if (!level.empty() && !level.back().key)
            level.back().literal += spaced;
        else
            level.push_back({nullptr, spaced});
    };
    for (const TQKitPatternToken* token : list.tokens()) {
        if (token->isKey()) {
            pattern.levels.back().push_back({token->key(), {}});
            continue;
        }
        std::string literal;
        for (const char c : token->literalText()) {
            if (folders && c == '/') {
                appendLiteral(literal);
                literal.clear();
                pattern.levels.emplace_back();
            } else {
                literal += c;
            }
        }
        appendLiteral(literal);
    }
    std::erase_if(pattern.levels, [](const Level& level) { return level.empty(); });
    return pattern;
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isNumberKey(const TQKitTagKey& key) { return key.minDigits > 0 || std::string_view(key.name) == "year"; }

// The value a key takes from `text`, or nothing when the text cannot be that key's value.
std::optional<std::string> keyValue(const TQKitTagKey& key, std::string_view text, bool underscoresForSpaces)
{
    if (isNumberKey(key)) {
        const bool year = key.minDigits == 0;
        if (!allDigits(text) || (year ? text.size() != 4 : text.size() > 3))
            return std::nullopt;
        const size_t firstSignificant = std::min(text.find_first_not_of('0'), text.size() - 1);
        return std::string(text.substr(firstSignificant));
    }
    std::string value = TQKitTextTrim(text);
    if (underscoresForSpaces)
        std::replace(value.begin(), value.end(), '_', ' ');
    value = TQKitTextTrim(value);
    if (value.empty())
        return std::nullopt;
    return value;
}

// Matches a whole name against one level, keys taking as little as they can. `dead` remembers the
// (piece, position) pairs already known not to lead to a match, so the work stays quadratic.
class LevelMatcher {
public:
    LevelMatcher(const Level& level, std::string_view text, bool underscoresForSpaces)
        : level_(level), text_(text), underscoresForSpaces_(underscoresForSpaces),
          dead_((level.size() + 1) * (text.size() + 1), false), values_(level.size())
    {
    }

    bool match() { return matchFrom(0, 0); }

    // The values of the keys, in the order of the pieces.
    void collect(TQKitTagValues& tags) const
    {
        for (size_t i = 0; i < level_.size(); ++i) {
            if (level_[i].key)
                tags.emplace(level_[i].key->name, values_[i]);
        }
    }

private:
    bool matchFrom(size_t piece, size_t position)
    {
        if (piece == level_.size())
            return position == text_.size();
        const size_t state = piece * (text_.size() + 1) + position;
        if (dead_[state])
            return false;
        const Piece& current = level_[piece];
        if (!current.key) {
            const std::string_view part = text_.substr(position, current.literal.size());
            if (TQKitTextEqualIgnoringCase(part, current.literal) && matchFrom(piece + 1, position + part.size()))
                return true;
        } else {
            for (size_t end = position + 1; end <= text_.size(); ++end) {
                std::optional<std::string> value =
                    keyValue(*current.key, text_.substr(position, end - position), underscoresForSpaces_);
                if (value && matchFrom(piece + 1, end)) {
                    values_[piece] = std::move(*value);
                    return true;
                }
            }
        }
        dead_[state] = true;
        return false;
    }

    const Level& level_;
    const std::string_view text_;
    const bool underscoresForSpaces_;
    std::vector<bool> dead_;
    std::vector<std::string> values_;
};

// How much of a name a reading explains: its keys, number keys counting twice.
int weightOf(const ParsedPattern& pattern)
{
    int weight = 0;
    for (const Level& level : pattern.levels) {
        for (const Piece& piece : level) {
            if (piece.key)
                weight += isNumberKey(*piece.key) ? 2 : 1;
        }
    }
    return weight;
}

// The tags of the pattern when its levels match the last names of `names`; nothing otherwise.
std::optional<TQKitTagValues> readWith(const ParsedPattern& pattern, const std::vector<std::string_view>& names)
{
    if (pattern.levels.empty() || pattern.levels.size() > names.size())
        return std::nullopt;
    TQKitTagValues tags;
    const size_t first = names.size() - pattern.levels.size();
    for (size_t i = 0; i < pattern.levels.size(); ++i) {
        const std::string_view name = names[first + i];
        if (name.size() > kMaxLevelBytes)
            return std::nullopt;
        LevelMatcher matcher(pattern.levels[i], name, pattern.underscoresForSpaces);
        if (!matcher.match())
            return std::nullopt;
        matcher.collect(tags);
    }
    return tags;
}

// The best reading of `names` among the caller's patterns and the built-in ones.
TQKitTagValues bestReading(const std::vector<std::string_view>& names, const std::vector<std::string>& own,
                           std::span<const char* const> builtIn, bool folders)
{
    std::vector<std::string> candidates(own.begin(), own.end());
    candidates.insert(candidates.end(), builtIn.begin(), builtIn.end());
    TQKitTagValues best;
    int bestWeight = 0;
    for (const std::string& text : candidates) {
        const ParsedPattern pattern = parsePattern(text, folders);
        const int weight = weightOf(pattern);
        if (weight <= bestWeight)
            continue;
        if (std::optional<TQKitTagValues> tags = readWith(pattern, names)) {
            best = std::move(*tags);
            bestWeight = weight;
        }
    }
    return best;
}

std::vector<std::string_view> pathNames(std::string_view path)
{
    std::vector<std::string_view> names;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (!name.empty() && name != ".")
            names.push_back(name);
        start = end + 1;
    }
    return names;
}

// The folder levels of `path` below `baseFolder`, nearest last; empty when a level is "..".
std::vector<std::string_view> folderNames(std::string_view path, std::string_view baseFolder)
{
    while (baseFolder.size() > 1 && baseFolder.back() == '/')
        baseFolder.remove_suffix(1);
    if (!baseFolder.empty() && path.starts_with(baseFolder) &&
        (baseFolder == "/" || (path.size() > baseFolder.size() && path[baseFolder.size()] == '/')))
        path.remove_prefix(baseFolder.size());
    std::vector<std::string_view> names = pathNames(path);
    if (!names.empty())
        names.pop_back(); // the file itself
    if (std::find(names.begin(), names.end(), "..") != names.end())
        return {};
    return names;
}

std::string_view stemOf(std::string_view path)
{
    const std::vector<std::string_view> names = pathNames(path);
    if (names.empty() || names.back() == "..")
        return {};
    const std::string_view name = names.back();
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

bool hasTag(const TQKitTagValues& tags, std::string_view name)
{
    return std::any_of(tags.begin(), tags.end(), [&](const auto& tag) {
        return TQKitTextEqualIgnoringCase(tag.first, name) && !TQKitTextTrim(tag.second).empty();
    });
}

} // namespace

TQKitTagValues TQKitPathTagsRead(std::string_view path, std::string_view baseFolder,
                                 const TQKitPathTagsPatterns& patterns)
{
    TQKitTagValues tags;
    if (const std::string_view stem = stemOf(path); !stem.empty())
        tags = bestReading({stem}, patterns.fileNamePatterns, kFileNamePatterns, false);
    const std::vector<std::string_view> folders = folderNames(path, baseFolder);
    if (!folders.empty())
        tags.merge(bestReading(folders, patterns.folderPatterns, kFolderPatterns, true));
    return tags;
}

size_t TQKitPathTagsFill(TQKitTagValues& tags, std::string_view path, std::string_view baseFolder,
                         const TQKitPathTagsPatterns& patterns)
{
    size_t added = 0;
    for (auto& found : TQKitPathTagsRead(path, baseFolder, patterns)) {
        if (hasTag(tags, found.first))
            continue;
        std::erase_if(tags, [&](const auto& tag) { return TQKitTextEqualIgnoringCase(tag.first, found.first); });
        tags.insert(std::move(found));
        ++added;
    }
    return added;
}
