#include "platform/engine/lists/TextPlaylistParser.h"

#include <charconv>
#include <cstdlib>
#include <map>
#include <string>

namespace sonvale::lists {
namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// Calls `visit` with each line, without its line end, until it returns false.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit)
{
    while (!text.empty()) {
        const auto end = text.find('\n');
        if (!visit(trimmed(text.substr(0, end))) || end == std::string_view::npos)
            return;
        text.remove_prefix(end + 1);
    }
}

Status tooManyEntries()
{
    return Status::failure("The list has more than " + std::to_string(kMaxPlaylistEntries) +
                           " entries");
}

// Seconds as a list writes them ("215", "215.4", "-1" for unknown) in milliseconds.
std::optional<int64_t> secondsToMs(std::string_view text)
{
    const std::string value(trimmed(text));
    char* end = nullptr;
    const double seconds = std::strtod(value.c_str(), &end);
    if (end == value.c_str() || !(seconds >= 0) || seconds > 1e9)
        return std::nullopt;
    return static_cast<int64_t>(seconds * 1000.0 + 0.5);
}

// "#EXTINF:215 attr="a,b",Artist - Title": the duration, then the title after the first comma
// outside quotes.
void readExtinf(std::string_view info, RawPlaylistEntry& pending)
{
    bool quoted = false;
    size_t comma = std::string_view::npos;
    for (size_t i = 0; i < info.size() && comma == std::string_view::npos; ++i) {
        if (info[i] == '"')
            quoted = !quoted;
        else if (info[i] == ',' && !quoted)
            comma = i;
    }
    const std::string_view duration = info.substr(0, info.find_first_of(" \t,"));
    pending.durationMs = secondsToMs(duration);
    pending.title = comma == std::string_view::npos ? std::string()
                                                    : std::string(trimmed(info.substr(comma + 1)));
}

Status parseM3u(std::string_view text, std::vector<RawPlaylistEntry>& entries)
{
    RawPlaylistEntry pending;
    bool full = false;
    forEachLine(text, [&](std::string_view line) {
        if (line.starts_with("#EXTINF:")) {
            readExtinf(line.substr(8), pending);
        } else if (!line.empty() && line.front() != '#') {
            if (entries.size() == kMaxPlaylistEntries)
                return !(full = true);
            pending.location = std::string(line);
            entries.push_back(std::move(pending));
            pending = RawPlaylistEntry();
        }
        return true;
    });
    return full ? tooManyEntries() : Status::success();
}

Status parseRam(std::string_view text, std::vector<RawPlaylistEntry>& entries)
{
    bool full = false;
    forEachLine(text, [&](std::string_view line) {
        if (line == "--stop--")
            return false;
        if (line.empty() || line.front() == '#')
            return true;
        if (entries.size() == kMaxPlaylistEntries)
            return !(full = true);
        entries.push_back(RawPlaylistEntry{std::string(line), {}, std::nullopt, true});
        return true;
    });
    return full ? tooManyEntries() : Status::success();
}

// Calls `visit(key, value)` for each "key=value" line of the section named `section`.
template <typename Visit>
void forEachIniValue(std::string_view text, std::string_view section, Visit visit)
{
    bool inSection = false;
    forEachLine(text, [&](std::string_view line) {
        if (line.starts_with('[') && line.ends_with(']')) {
            inSection = equalsIgnoringCase(trimmed(line.substr(1, line.size() - 2)), section);
            return true;
        }
        const auto equals = line.find('=');
        if (inSection && equals != std::string_view::npos)
            return visit(trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)));
        return true;
    });
}

// "File3" gives 3 for the prefix "File"; anything else gives 0.
unsigned long entryNumber(std::string_view key, std::string_view prefix)
{
    if (key.size() <= prefix.size() || !equalsIgnoringCase(key.substr(0, prefix.size()), prefix))
        return 0;
    unsigned long number = 0;
    const std::string_view digits = key.substr(prefix.size());
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return error == std::errc() && end == digits.data() + digits.size() ? number : 0;
}

Status parsePls(std::string_view text, std::vector<RawPlaylistEntry>& entries)
{
    // Entries are numbered, and the numbers need not be dense or in order.
    std::map<unsigned long, RawPlaylistEntry> numbered;
    bool full = false;
    forEachIniValue(text, "playlist", [&](std::string_view key, std::string_view value) {
        RawPlaylistEntry* entry = nullptr;
        for (const std::string_view prefix : {"File", "Title", "Length"}) {
            if (const unsigned long number = entryNumber(key, prefix)) {
                if (!numbered.contains(number) && numbered.size() == kMaxPlaylistEntries)
                    return !(full = true);
                entry = &numbered[number];
                if (prefix == "File")
                    entry->location = std::string(value);
                else if (prefix == "Title")
                    entry->title = std::string(value);
                else
                    entry->durationMs = secondsToMs(value);
            }
        }
        return true;
    });
    if (full)
        return tooManyEntries();
    if (numbered.empty()) {
        bool hasSection = false;
        forEachLine(text, [&](std::string_view line) {
            hasSection = equalsIgnoringCase(line, "[playlist]");
            return !hasSection;
        });
        if (!hasSection)
            return Status::failure("The PLS list has no [playlist] section");
    }
    for (auto& [number, entry] : numbered) {
        if (!entry.location.empty())
            entries.push_back(std::move(entry));
    }
    return Status::success();
}

Status parseIniLink(std::string_view text, std::string_view section, bool desktopEntry,
                    std::vector<RawPlaylistEntry>& entries)
{
    std::string url;
    std::string type;
    std::string name;
    forEachIniValue(text, section, [&](std::string_view key, std::string_view value) {
        if (equalsIgnoringCase(key, "URL"))
            url = value;
        else if (key == "Type")
            type = value;
        else if (key == "Name")
            name = value;
        return true;
    });
    if (desktopEntry && type != "Link")
        return Status::failure("The desktop file is not a link");
    if (url.empty())
        return Status::failure("The shortcut names no address");
    entries.push_back(RawPlaylistEntry{std::move(url), desktopEntry ? name : std::string(),
                                       std::nullopt, true});
    return Status::success();
}

} // namespace

bool TextPlaylistParser::handles(PlaylistKind kind)
{
    switch (kind) {
    case PlaylistKind::M3u8:
    case PlaylistKind::M3u:
    case PlaylistKind::Pls:
    case PlaylistKind::Ram:
    case PlaylistKind::UrlShortcut:
    case PlaylistKind::DesktopLink:
        return true;
    default:
        return false;
    }
}

Status TextPlaylistParser::parse(PlaylistKind kind, std::string_view text,
                                 std::vector<RawPlaylistEntry>& entries)
{
    switch (kind) {
    case PlaylistKind::M3u8:
    case PlaylistKind::M3u:
        return parseM3u(text, entries);
    case PlaylistKind::Pls:
        return parsePls(text, entries);
    case PlaylistKind::Ram:
        return parseRam(text, entries);
    case PlaylistKind::UrlShortcut:
        return parseIniLink(text, "InternetShortcut", false, entries);
    case PlaylistKind::DesktopLink:
        return parseIniLink(text, "Desktop Entry", true, entries);
    default:
        return Status::failure("Not a line-based list");
    }
}

} // namespace sonvale::lists
