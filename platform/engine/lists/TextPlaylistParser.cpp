#include "platform/engine/lists/TextPlaylistParser.h"

#include "platform/engine/lists/ListText.h"
#include "platform/engine/lists/PlaylistEntryCollector.h"

#include <charconv>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

namespace sonvale::lists {
namespace {

using text::equalsIgnoringCase;
using text::trimmed;

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

Status parseM3u(std::string_view text, PlaylistEntryCollector& collector)
{
    RawPlaylistEntry pending;
    forEachLine(text, [&](std::string_view line) {
        if (line.starts_with("#EXTINF:")) {
            readExtinf(line.substr(8), pending);
            return true;
        }
        if (line.empty() || line.front() == '#')
            return true;
        pending.location = std::string(line);
        return collector.add(std::exchange(pending, RawPlaylistEntry()));
    });
    return collector.status();
}

Status parseRam(std::string_view text, PlaylistEntryCollector& collector)
{
    forEachLine(text, [&](std::string_view line) {
        if (line == "--stop--")
            return false;
        if (line.empty() || line.front() == '#')
            return true;
        return collector.add(RawPlaylistEntry{std::string(line), {}, std::nullopt, true});
    });
    return collector.status();
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

Status parsePls(std::string_view text, PlaylistEntryCollector& collector)
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
        return PlaylistEntryCollector::tooManyEntries();
    if (numbered.empty()) {
        bool hasSection = false;
        forEachLine(text, [&](std::string_view line) {
            hasSection = equalsIgnoringCase(line, "[playlist]");
            return !hasSection;
        });
        if (!hasSection)
            return Status::failure("The PLS list has no [playlist] section");
    }
    for (auto& [number, entry] : numbered)
        collector.add(std::move(entry));
    return collector.status();
}

Status parseIniLink(std::string_view text, std::string_view section, bool desktopEntry,
                    PlaylistEntryCollector& collector)
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
    collector.add(RawPlaylistEntry{std::move(url), desktopEntry ? name : std::string(),
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
    PlaylistEntryCollector collector(entries);
    switch (kind) {
    case PlaylistKind::M3u8:
    case PlaylistKind::M3u:
        return parseM3u(text, collector);
    case PlaylistKind::Pls:
        return parsePls(text, collector);
    case PlaylistKind::Ram:
        return parseRam(text, collector);
    case PlaylistKind::UrlShortcut:
        return parseIniLink(text, "InternetShortcut", false, collector);
    case PlaylistKind::DesktopLink:
        return parseIniLink(text, "Desktop Entry", true, collector);
    default:
        return Status::failure("Not a line-based list");
    }
}

} // namespace sonvale::lists
