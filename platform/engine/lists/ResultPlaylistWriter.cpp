#include "platform/engine/lists/ResultPlaylistWriter.h"

#include "platform/engine/lists/ResultPlaylistFormatter.h"
#include "platform/engine/lists/ResultPlaylistSorter.h"
#include "platform/engine/lists/SourcePlaylistReader.h"
#include "platform/system/AtomicFile.h"

#include <algorithm>
#include <system_error>
#include <unordered_set>

namespace sonvale::lists {
namespace {

std::string identityOf(const ResultPlaylistEntry& entry)
{
    return entry.uri.empty() ? entry.file.lexically_normal().string() : entry.uri;
}

ResultPlaylistEntry fromExisting(const PlaylistEntry& entry)
{
    ResultPlaylistEntry result;
    switch (entry.state) {
    case PlaylistEntry::State::Found:
    case PlaylistEntry::State::Missing:
        result.file = entry.path;
        break;
    case PlaylistEntry::State::Remote:
        result.uri = entry.url;
        break;
    case PlaylistEntry::State::Unsupported:
        result.uri = entry.location;
        break;
    }
    result.title = entry.title;
    result.durationMs = entry.durationMs.value_or(0);
    return result;
}

Status readExisting(const std::filesystem::path& playlistPath,
                    std::vector<ResultPlaylistEntry>& existing)
{
    std::error_code error;
    if (!std::filesystem::exists(playlistPath, error))
        return Status::success();
    SourcePlaylist list;
    if (Status status = SourcePlaylistReader().readFile(playlistPath, list); !status)
        return Status::failure("The existing playlist cannot be merged: " + status.message());
    for (const PlaylistEntry& entry : list.entries)
        existing.push_back(fromExisting(entry));
    return Status::success();
}

} // namespace

std::filesystem::path ResultPlaylistWriter::pathFor(const std::filesystem::path& folder,
                                                    const std::string& name, int playlistType)
{
    // The name never leaves the folder: no separators, no "." or "..", no hidden file.
    std::string safe = name;
    std::replace(safe.begin(), safe.end(), '/', '_');
    safe.erase(std::remove(safe.begin(), safe.end(), '\0'), safe.end());
    if (safe.empty() || safe.front() == '.')
        safe = "Playlist" + safe;
    const std::string_view extension = playlistKindExtension(playlistKindForType(playlistType));
    return folder / (safe + "." + std::string(extension));
}

Status ResultPlaylistWriter::write(const std::filesystem::path& playlistPath,
                                   std::vector<ResultPlaylistEntry> entries,
                                   const Options& options) const
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(playlistPath, error);
    std::vector<ResultPlaylistEntry> merged;
    if (options.mergeWithExisting) {
        if (Status status = readExisting(path, merged); !status)
            return status;
    }

    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [](const ResultPlaylistEntry& e) {
                                     return e.file.empty() && e.uri.empty();
                                 }),
                  entries.end());
    ResultPlaylistSorter(options.shuffleSeed).sort(entries, options.sortOrder);

    std::unordered_set<std::string> listed;
    for (const ResultPlaylistEntry& entry : merged)
        listed.insert(identityOf(entry));
    for (ResultPlaylistEntry& entry : entries) {
        if (listed.insert(identityOf(entry)).second)
            merged.push_back(std::move(entry));
    }

    const ResultPlaylistFormatter formatter(playlistKindForType(options.playlistType),
                                            path.parent_path());
    const std::string bytes = formatter.format(path.stem().string(), merged);
    if (Status status = writeFileAtomically(path, bytes, 0644); !status)
        return Status::failure("Cannot write the playlist: " + status.message());
    return Status::success();
}

} // namespace sonvale::lists
