#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/engine/BatchSettings.h"
#include "platform/engine/TagSet.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// Where one result goes: the destination folder (or the source's own folder), the replicated or
// organized subfolders, the file name (the source's, or rendered from the file-name pattern) and
// the extension. Every folder and file name is made safe on its own, and the result always stays
// inside the destination folder, whatever the tags or the source's path hold. Pure: no I/O.
class DestinationPlanner final {
public:
    // Renders a tag pattern ("{{artist}}/{{album}}") with an item's tags: a relative folder path
    // when `folders` is set, else one file name.
    using PatternRenderer = std::function<std::string(const std::string& pattern, const TagSet& tags, bool folders)>;

    struct Request {
        std::string sourcePath;   // local path, or the address of a remote source
        std::string sourceRoot;   // the folder given by the user that holds the source, or empty
        std::string extension;    // of the result, without the dot; empty keeps the source's
        TagSet tags;
        std::string fileName;     // names the result in place of the source's name (a CUE track)
    };

    DestinationPlanner(const BatchSettings& settings, PatternRenderer renderer);

    // The folder results of this source go to (without organizing by tags).
    Status folderFor(const Request& request, std::filesystem::path& folder) const;
    Status pathFor(const Request& request, std::filesystem::path& path) const;

    // One folder or file name made safe (TQKitNameFilter), at most 240 bytes, never empty.
    static std::string safeName(const std::string& name);

private:
    // The file-name pattern rendered with the item's tags; none without a pattern or a value.
    std::optional<std::string> renderedStem(const Request& request) const;
    // The name of the item itself, without its extension.
    std::string ownStem(const Request& request) const;

    const BatchSettings& settings_;
    PatternRenderer renderer_;
};

} // namespace sonvale::engine
