#include "platform/engine/lists/ResultPlaylistFormatter.h"

#include "platform/engine/lists/TextDecoder.h"
#include "platform/system/PercentEncoding.h"

#include <algorithm>

namespace sonvale::lists {
namespace {

// Text on one line of a line-based list.
std::string oneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

// "Artist - Title", or the file's name without its extension; empty where that would not be
// UTF-8 text (file names are bytes).
std::string displayTitle(const ResultPlaylistEntry& entry)
{
    std::string title;
    if (!entry.title.empty())
        title = entry.artist.empty() ? entry.title : entry.artist + " - " + entry.title;
    else if (entry.uri.empty())
        title = entry.file.stem().string();
    return TextDecoder::isValidUtf8(title) ? oneLine(std::move(title)) : std::string();
}

std::string seconds(const ResultPlaylistEntry& entry)
{
    return entry.durationMs > 0 ? std::to_string((entry.durationMs + 500) / 1000) : "-1";
}

// Escapes text for XML; characters XML 1.0 does not allow are left out.
std::string xmlEscaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        case '\t': escaped += "&#9;"; break;
        case '\n': escaped += "&#10;"; break;
        case '\r': escaped += "&#13;"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20)
                escaped.push_back(c);
        }
    }
    return escaped;
}

void appendXmlElement(std::string& out, std::string_view indent, std::string_view name,
                      std::string_view value)
{
    if (value.empty())
        return;
    out.append(indent).append("<").append(name).append(">");
    out.append(xmlEscaped(value)).append("</").append(name).append(">\n");
}

} // namespace

ResultPlaylistFormatter::ResultPlaylistFormatter(PlaylistKind kind,
                                                 const std::filesystem::path& folder)
    : kind_(kind), location_(folder)
{
}

std::string ResultPlaylistFormatter::format(const std::string& title,
                                            const std::vector<ResultPlaylistEntry>& entries) const
{
    switch (kind_) {
    case PlaylistKind::Pls:
        return formatPls(entries);
    case PlaylistKind::Xspf:
        return formatXspf(title, entries);
    case PlaylistKind::Wpl:
        return formatWpl(title, entries);
    default:
        return formatM3u(entries);
    }
}

std::string ResultPlaylistFormatter::plainLocation(const ResultPlaylistEntry& entry) const
{
    if (!entry.uri.empty())
        return oneLine(entry.uri);
    const std::string path = location_.relativeWhenInside(entry.file);
    if (path.empty())
        return path;
    const bool breaksLine = path.find_first_of("\r\n") != std::string::npos;
    if (breaksLine || !TextDecoder::isValidUtf8(path))
        return PlaylistLocation::fileUrl(entry.file.lexically_normal());
    // A leading '#' reads as a comment, leading blanks are trimmed and "name:" reads as an
    // address: "./" keeps such a relative name a path.
    const auto colon = path.find(':');
    if (path.front() == '#' || path.front() == ' ' || path.front() == '\t' ||
        (colon != std::string::npos && colon < path.find('/')))
        return "./" + path;
    return path;
}

std::string ResultPlaylistFormatter::uriLocation(const ResultPlaylistEntry& entry) const
{
    if (!entry.uri.empty())
        return entry.uri;
    const std::filesystem::path relative(location_.relativeWhenInside(entry.file));
    return relative.is_absolute() ? PlaylistLocation::fileUrl(relative)
                                  : sonvale::percentEncodePath(relative.string());
}

std::string ResultPlaylistFormatter::formatM3u(const std::vector<ResultPlaylistEntry>& entries) const
{
    std::string out = "#EXTM3U\n";
    for (const ResultPlaylistEntry& entry : entries) {
        out += "#EXTINF:" + seconds(entry) + "," + displayTitle(entry) + "\n";
        out += plainLocation(entry) + "\n";
    }
    return out;
}

std::string ResultPlaylistFormatter::formatPls(const std::vector<ResultPlaylistEntry>& entries) const
{
    std::string out = "[playlist]\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        out += "File" + n + "=" + plainLocation(entries[i]) + "\n";
        out += "Title" + n + "=" + displayTitle(entries[i]) + "\n";
        out += "Length" + n + "=" + seconds(entries[i]) + "\n";
    }
    out += "NumberOfEntries=" + std::to_string(entries.size()) + "\nVersion=2\n";
    return out;
}

std::string ResultPlaylistFormatter::formatXspf(const std::string& title,
                                                const std::vector<ResultPlaylistEntry>& entries) const
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n";
    appendXmlElement(out, "  ", "title", title);
    out += "  <trackList>\n";
    for (const ResultPlaylistEntry& entry : entries) {
        out += "    <track>\n";
        appendXmlElement(out, "      ", "location", uriLocation(entry));
        appendXmlElement(out, "      ", "creator", entry.artist);
        appendXmlElement(out, "      ", "album", entry.album);
        appendXmlElement(out, "      ", "title", entry.title);
        if (entry.trackNumber > 0)
            appendXmlElement(out, "      ", "trackNum", std::to_string(entry.trackNumber));
        if (entry.durationMs > 0)
            appendXmlElement(out, "      ", "duration", std::to_string(entry.durationMs));
        out += "    </track>\n";
    }
    out += "  </trackList>\n</playlist>\n";
    return out;
}

std::string ResultPlaylistFormatter::formatWpl(const std::string& title,
                                               const std::vector<ResultPlaylistEntry>& entries) const
{
    std::string out = "<?wpl version=\"1.0\"?>\n<smil>\n  <head>\n"
                      "    <meta name=\"Generator\" content=\"Sonvale\"/>\n"
                      "    <meta name=\"ItemCount\" content=\"" +
                      std::to_string(entries.size()) + "\"/>\n";
    appendXmlElement(out, "    ", "title", title);
    out += "  </head>\n  <body>\n    <seq>\n";
    for (const ResultPlaylistEntry& entry : entries)
        out += "      <media src=\"" + xmlEscaped(plainLocation(entry)) + "\"/>\n";
    out += "    </seq>\n  </body>\n</smil>\n";
    return out;
}

} // namespace sonvale::lists
