#include "platform/engine/lists/PlaylistLocation.h"

#include "platform/system/PercentEncoding.h"

#include "platform/engine/lists/ListText.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace sonvale::lists {
namespace {

using text::isAsciiAlnum;
using text::isAsciiAlpha;
using text::trimmed;

// The lower-cased scheme of "scheme:..." when the text starts with one, else empty. A single
// letter is a drive of another system ("C:\Music"), not a scheme.
std::string schemeOf(std::string_view text)
{
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon < 2 || !isAsciiAlpha(text[0]))
        return {};
    std::string scheme;
    for (const char c : text.substr(0, colon)) {
        if (!isAsciiAlnum(c) && c != '+' && c != '-' && c != '.')
            return {};
        scheme.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return scheme;
}

bool isDriveLetterPath(std::string_view text)
{
    return text.size() >= 3 && isAsciiAlpha(text[0]) &&
           text[1] == ':' && (text[2] == '\\' || text[2] == '/');
}

PlaylistEntry unsupported(PlaylistEntry entry, std::string problem)
{
    entry.state = PlaylistEntry::State::Unsupported;
    entry.problem = std::move(problem);
    return entry;
}

} // namespace

PlaylistLocation::PlaylistLocation(std::filesystem::path folder) : folder_(std::move(folder)) {}

PlaylistEntry PlaylistLocation::resolve(const RawPlaylistEntry& raw) const
{
    PlaylistEntry entry;
    entry.location = raw.location;
    entry.title = raw.title;
    entry.durationMs = raw.durationMs;

    const std::string_view location = trimmed(raw.location);
    if (location.size() > kMaxLocationLength)
        return unsupported(std::move(entry), "The location is too long");
    if (location.empty())
        return unsupported(std::move(entry), "The location is empty");
    if (isDriveLetterPath(location))
        return unsupported(std::move(entry), "The location is a path of another system");

    const std::string scheme = schemeOf(location);
    if (scheme == "http" || scheme == "https") {
        entry.state = PlaylistEntry::State::Remote;
        entry.url = std::string(location);
        return entry;
    }
    if (scheme == "file")
        return resolveFileUrl(std::move(entry), location);
    if (!scheme.empty())
        return unsupported(std::move(entry), "Addresses of the kind \"" + scheme +
                                                 ":\" are not supported");
    return resolvePath(std::move(entry),
                       raw.isUri ? sonvale::percentDecode(location) : std::string(location));
}

PlaylistEntry PlaylistLocation::resolveFileUrl(PlaylistEntry entry, std::string_view url) const
{
    std::string_view rest = url.substr(5); // after "file:"
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const auto slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && host != "localhost")
            return unsupported(std::move(entry), "The file lies on another computer (\"" +
                                                     std::string(host) + "\")");
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    const std::string path = sonvale::percentDecode(rest);
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos)
        return unsupported(std::move(entry), "The file address has no absolute path");
    return resolvePath(std::move(entry), path);
}

PlaylistEntry PlaylistLocation::resolvePath(PlaylistEntry entry, std::string pathText) const
{
    if (pathText.find('\0') != std::string::npos)
        return unsupported(std::move(entry), "The location holds a NUL character");
    const auto locate = [this](const std::string& text) {
        std::filesystem::path path(text);
        return (path.is_absolute() ? path : folder_ / path).lexically_normal();
    };
    std::error_code error;
    entry.path = locate(pathText);
    bool found = std::filesystem::exists(entry.path, error);
    // Lists written on other systems separate folders with backslashes.
    if (!found && pathText.find('\\') != std::string::npos) {
        std::string slashed = pathText;
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
        const std::filesystem::path candidate = locate(slashed);
        if (std::filesystem::exists(candidate, error)) {
            entry.path = candidate;
            found = true;
        }
    }
    entry.state = found ? PlaylistEntry::State::Found : PlaylistEntry::State::Missing;
    if (!found)
        entry.problem = "The file \"" + entry.path.string() + "\" does not exist";
    return entry;
}

std::string PlaylistLocation::relativeWhenInside(const std::filesystem::path& file) const
{
    const std::filesystem::path normal = file.lexically_normal();
    const std::filesystem::path relative = normal.lexically_relative(folder_.lexically_normal());
    if (relative.empty() || *relative.begin() == "..")
        return normal.string();
    return relative.string();
}

std::string PlaylistLocation::fileUrl(const std::filesystem::path& absolutePath)
{
    return "file://" + sonvale::percentEncodePath(absolutePath.string());
}

} // namespace sonvale::lists
