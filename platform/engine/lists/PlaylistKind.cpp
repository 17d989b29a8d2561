#include "platform/engine/lists/PlaylistKind.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace sonvale::lists {
namespace {

struct KindExtension {
    std::string_view extension;
    PlaylistKind kind;
};

// The first extension of a kind is the one it is written with.
constexpr KindExtension kExtensions[] = {
    {"m3u8", PlaylistKind::M3u8},     {"m3u", PlaylistKind::M3u},
    {"pls", PlaylistKind::Pls},       {"xspf", PlaylistKind::Xspf},
    {"wpl", PlaylistKind::Wpl},       {"asx", PlaylistKind::Asx},
    {"wax", PlaylistKind::Asx},       {"wvx", PlaylistKind::Asx},
    {"ram", PlaylistKind::Ram},       {"url", PlaylistKind::UrlShortcut},
    {"desktop", PlaylistKind::DesktopLink}, {"webloc", PlaylistKind::Webloc},
};

} // namespace

std::optional<PlaylistKind> playlistKindForPath(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    if (extension.size() < 2)
        return std::nullopt;
    extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const KindExtension& entry : kExtensions) {
        if (entry.extension == extension)
            return entry.kind;
    }
    return std::nullopt;
}

std::string_view playlistKindExtension(PlaylistKind kind)
{
    for (const KindExtension& entry : kExtensions) {
        if (entry.kind == kind)
            return entry.extension;
    }
    return {};
}

bool isLinkFile(PlaylistKind kind)
{
    return kind == PlaylistKind::Ram || kind == PlaylistKind::UrlShortcut || kind == PlaylistKind::DesktopLink ||
           kind == PlaylistKind::Webloc;
}

} // namespace sonvale::lists
