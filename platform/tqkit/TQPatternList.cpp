#include "platform/tqkit/TQPatternList.h"

#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQKitTextTrim.h"
#include "platform/tqkit/TQKitUtf8.h"

#include <algorithm>

namespace {

constexpr std::string_view kExtendedFileNames =
    "{{artist}} - {{album}} - {{title}}\n"
    "{{artist}} - {{title}}\n"
    "{{tracknumber}} - {{artist}} - {{album}} - {{title}}\n"
    "{{tracknumber}} - {{artist}} - {{title}}\n"
    "{{tracknumber}} - {{title}}\n"
    "{{initialKey}} - {{artist}} - {{title}}\n"
    "{{initialKey}} - {{mood}} - {{title}}\n"
    "{{initialKey}} - {{tempo}} - {{title}}\n";

constexpr std::string_view kFolders =
    "{{artist}}\n"
    "{{artist}}/{{album}}\n"
    "{{genre}}\n"
    "{{genre}}/{{artist}}\n";

constexpr std::string_view kPlainFileNames =
    "{{artist}} - {{album}} - {{title}}\n"
    "{{artist}} - {{title}}\n"
    "{{title}}\n"
    "{{tracknumber}} - {{artist}} - {{album}} - {{title}}\n"
    "{{tracknumber}} - {{artist}} - {{title}}\n"
    "{{tracknumber}} - {{title}}\n";

void appendLine(std::optional<TQPatternList>& list, std::string_view rawLine)
{
    const std::string line = TQKitTextTrim(rawLine);
    if (line.empty()) {
        // A run of blank lines gives one empty entry.
        if (!list)
            list.emplace(1);
        else if (!list->empty() && !list->back().empty())
            list->emplace_back();
        return;
    }
    if (!list)
        list.emplace();
    const bool known = std::any_of(list->begin(), list->end(), [&line](const std::string& entry) {
        return TQKitTextEqualIgnoringCase(entry, line);
    });
    if (!known)
        list->push_back(line);
}

} // namespace

std::optional<TQPatternList> TQPatternListSplit(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    std::optional<TQPatternList> list;
    size_t start = 0;
    while (start < text.size()) {
        const size_t lineEnd = text.find_first_of("\r\n", start);
        if (lineEnd == std::string_view::npos) {
            appendLine(list, text.substr(start));
            break;
        }
        appendLine(list, text.substr(start, lineEnd - start));
        const bool crlf = text[lineEnd] == '\r' && lineEnd + 1 < text.size() && text[lineEnd + 1] == '\n';
        start = lineEnd + (crlf ? 2 : 1);
    }
    return list;
}

std::string_view TQPatternListBuiltIn(uint32_t patternFlags)
{
    const uint32_t missing = ~patternFlags & 0xFF;
    if ((missing & 0x69) == 0)
        return kExtendedFileNames;
    if ((missing & 0xD1) == 0)
        return kFolders;
    return kPlainFileNames;
}

std::optional<TQPatternList> TQPatternListDefaultsLoad(std::string_view section,
                                                       std::string_view key, bool useDefaults,
                                                       uint32_t patternFlags)
{
    if (section.empty() || key.empty())
        return std::nullopt;
    const std::vector<uint8_t> stored =
        TQKitSettingReadData(std::string(section).c_str(), std::string(key).c_str());
    std::optional<TQPatternList> list =
        TQPatternListSplit(std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()));
    if (useDefaults && (!list || list->empty()))
        list = TQPatternListSplit(TQPatternListBuiltIn(patternFlags));
    return list;
}

void TQPatternListSave(std::string_view section, std::string_view key, const TQPatternList& patterns)
{
    if (section.empty() || key.empty())
        return;
    std::string text;
    for (const std::string& pattern : patterns) {
        if (!pattern.empty())
            text += pattern + "\n";
    }
    if (text.empty())
        return;
    TQKitSettingWriteData(std::string(section).c_str(), std::string(key).c_str(), text.c_str(),
                          text.size() + 1);
}

void TQPatternListClear(std::string_view section, std::string_view key)
{
    if (!section.empty() && !key.empty())
        TQKitSettingRemove(std::string(section).c_str(), std::string(key).c_str());
}
