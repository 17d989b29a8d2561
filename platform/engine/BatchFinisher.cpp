#include "platform/engine/BatchFinisher.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "platform/engine/SourceScanner.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/engine/lists/PlaylistCodes.h"
#include "platform/engine/lists/ResultPlaylistWriter.h"
#include "platform/system/TrashBin.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;
using Item = TQKitConversionListItem;

bool converted(const Item& item)
{
    return item.resultCode() == Item::Converted && !item.playlistEntry().file.empty();
}

// The folder a playlist of these items goes to: the destination, or beside the first result when
// results stay beside their sources.
fs::path playlistFolder(const BatchSettings& settings, const std::vector<lists::ResultPlaylistEntry>& entries)
{
    if (!settings.asSourceFolder || entries.empty())
        return settings.destinationFolder;
    return entries.front().file.parent_path();
}

int typeCodeFor(lists::PlaylistKind kind)
{
    for (const auto& choice : lists::kPlaylistTypeChoices)
        if (choice.kind == kind)
            return choice.code;
    return lists::kDefaultPlaylistType;
}

} // namespace

BatchFinisher::BatchFinisher(const BatchSettings& settings, std::vector<TQKitConversionListItem*> items,
                             std::string defaultPlaylistName)
    : settings_(settings), items_(std::move(items)), defaultPlaylistName_(std::move(defaultPlaylistName))
{
}

std::vector<std::string> BatchFinisher::finish()
{
    std::vector<std::string> problems;
    if (settings_.createPlaylist)
        writeResultPlaylist(problems);
    writeSourcePlaylists(problems);
    if (settings_.moveSourcesToBin)
        moveSourcesToBin(problems);
    return problems;
}

void BatchFinisher::writeResultPlaylist(std::vector<std::string>& problems) const
{
    std::vector<lists::ResultPlaylistEntry> entries;
    for (const Item* item : items_)
        if (converted(*item))
            entries.push_back(item->playlistEntry());
    if (entries.empty())
        return;
    const std::string name = settings_.playlistName.empty() ? defaultPlaylistName_ : settings_.playlistName;
    const fs::path path = lists::ResultPlaylistWriter::pathFor(playlistFolder(settings_, entries), name,
                                                               settings_.playlistType);
    lists::ResultPlaylistWriter::Options options;
    options.playlistType = settings_.playlistType;
    options.sortOrder = settings_.playlistSortOrder;
    options.mergeWithExisting = settings_.mergePlaylist;
    if (Status s = lists::ResultPlaylistWriter().write(path, std::move(entries), options); !s)
        problems.push_back("The playlist " + path.string() + " was not written: " + s.message());
}

// Each source playlist gets a converted copy that lists the results of its entries, in its order.
void BatchFinisher::writeSourcePlaylists(std::vector<std::string>& problems) const
{
    std::map<std::string, std::vector<lists::ResultPlaylistEntry>> byPlaylist;
    std::vector<std::string> order;
    for (const Item* item : items_) {
        const std::string& playlist = item->origin().playlist;
        if (playlist.empty() || !converted(*item))
            continue;
        auto [it, added] = byPlaylist.try_emplace(playlist);
        if (added)
            order.push_back(playlist);
        it->second.push_back(item->playlistEntry());
    }
    for (const std::string& playlist : order) {
        auto& entries = byPlaylist[playlist];
        const auto sourceKind = lists::playlistKindForPath(playlist).value_or(lists::PlaylistKind::M3u8);
        lists::ResultPlaylistWriter::Options options;
        options.playlistType = typeCodeFor(lists::convertedPlaylistKind(settings_.acceptedPlaylistType, sourceKind));
        options.sortOrder = int(lists::PlaylistSortKey::ConversionOrder);
        const fs::path folder = settings_.asSourceFolder ? fs::path(playlist).parent_path()
                                                         : fs::path(settings_.destinationFolder);
        const fs::path path = lists::ResultPlaylistWriter::pathFor(folder, fs::path(playlist).stem().string(),
                                                                   options.playlistType);
        if (path == fs::path(playlist)) {
            problems.push_back("The converted playlist would replace its source " + playlist);
            continue;
        }
        if (Status s = lists::ResultPlaylistWriter().write(path, std::move(entries), options); !s)
            problems.push_back("The playlist " + path.string() + " was not written: " + s.message());
    }
}

// A source (an image split into tracks included) goes to the Bin only when every item made of it
// was converted into a file other than itself; a CUE sheet goes when all of its images went.
void BatchFinisher::moveSourcesToBin(std::vector<std::string>& problems) const
{
    std::map<std::string, bool> allConverted; // source -> every item of it converted
    std::map<std::string, std::set<std::string>> sheetSources;
    std::vector<std::string> order;
    for (const Item* item : items_) {
        if ((item->flags() & Item::kRemote) || !item->origin().problem.empty() || item->kind() != Item::Kind::Convert)
            continue;
        const std::string& source = item->sourcePath();
        auto [it, added] = allConverted.try_emplace(source, true);
        if (added)
            order.push_back(source);
        std::error_code ec;
        const bool replacedItself = fs::equivalent(item->playlistEntry().file, source, ec);
        it->second = it->second && converted(*item) && !replacedItself;
        for (const std::string& sheet : item->origin().sheets)
            sheetSources[sheet].insert(source);
    }
    for (const auto& [sheet, sources] : sheetSources)
        if (std::all_of(sources.begin(), sources.end(), [&](const auto& source) { return allConverted[source]; }))
            order.push_back(sheet);
    for (const std::string& path : order) {
        if (!sheetSources.count(path) && !allConverted[path])
            continue;
        if (Status s = moveToTrash(path); !s)
            problems.push_back(s.message());
    }
}

} // namespace sonvale::engine
