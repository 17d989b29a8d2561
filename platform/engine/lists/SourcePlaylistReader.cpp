#include "platform/engine/lists/SourcePlaylistReader.h"

#include "platform/engine/lists/PlaylistLocation.h"
#include "platform/engine/lists/TextPlaylistParser.h"
#include "platform/engine/lists/XmlPlaylistParser.h"
#include "platform/system/AtomicFile.h"

#include <system_error>

namespace sonvale::lists {

SourcePlaylistReader::SourcePlaylistReader(TextDecoder decoder) : decoder_(std::move(decoder)) {}

Status SourcePlaylistReader::readFile(const std::filesystem::path& listPath,
                                      SourcePlaylist& list) const
{
    const std::string name = "\"" + listPath.filename().string() + "\"";
    const std::optional<PlaylistKind> kind = playlistKindForPath(listPath);
    if (!kind)
        return Status::failure(name + " is not a playlist or shortcut");
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(listPath, sizeError);
    if (!sizeError && size > kMaxListBytes)
        return Status::failure(name + " is too large to be a playlist");
    std::string readError;
    const std::optional<std::string> bytes = readWholeFile(listPath, &readError);
    if (!bytes)
        return Status::failure("Cannot read " + name +
                               (readError.empty() ? std::string() : ": " + readError));
    const std::filesystem::path folder =
        std::filesystem::absolute(listPath, sizeError).parent_path();
    if (Status status = readBytes(*bytes, *kind, folder, list); !status)
        return Status::failure(name + ": " + status.message());
    return Status::success();
}

Status SourcePlaylistReader::readBytes(std::string_view bytes, PlaylistKind kind,
                                       const std::filesystem::path& folder,
                                       SourcePlaylist& list) const
{
    if (bytes.size() > kMaxListBytes)
        return Status::failure("The list is too large to be a playlist");
    std::vector<RawPlaylistEntry> raw;
    if (XmlPlaylistParser::handles(kind)) {
        if (Status status = XmlPlaylistParser::parse(kind, bytes, raw); !status)
            return status;
    } else {
        std::string text;
        if (Status status = decoder_.decode(bytes, text); !status)
            return status;
        if (Status status = TextPlaylistParser::parse(kind, text, raw); !status)
            return status;
    }

    const PlaylistLocation location(folder);
    SourcePlaylist parsed;
    parsed.kind = kind;
    parsed.entries.reserve(raw.size());
    for (const RawPlaylistEntry& entry : raw)
        parsed.entries.push_back(location.resolve(entry));
    list = std::move(parsed);
    return Status::success();
}

} // namespace sonvale::lists
