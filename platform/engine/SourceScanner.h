#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/engine/BatchSettings.h"
#include "platform/engine/ItemOrigin.h"
#include "platform/engine/TQKitConversionListItem.h"

namespace sonvale::lists {
struct CueSheet;
}

namespace sonvale::engine {

// One item to be: a file to convert or copy, or a remote address to download and convert.
struct SourceEntry {
    std::string path;
    std::string root; // the folder it was found in, as the user gave it; empty for a single file
    uint32_t flags = 0;
    TQKitConversionListItem::Kind kind = TQKitConversionListItem::Kind::Convert;
    ItemOrigin origin;

    // Tells entries apart: the tracks of one image share its path.
    std::string key() const { return path + '\n' + origin.fileName; }
};

// Turns the sources a user gave (files, folders, http and https addresses) into items, following
// the accept and copy rules of the batch. Folders are walked recursively in name order; hidden
// files, symbolic links to folders and the batch's destination folder (which holds this and earlier
// batches' results when it lies inside a source folder, as the default one does in ~/Music) are
// left out, and a folder that cannot be read becomes an item that fails with the reason. A named
// pipe, device or socket, given or named by a list, becomes an item that fails at once: reading one
// could block for ever. Runs on the caller's thread.
//
// A source that stands for several items expands: a CUE sheet into the tracks of its images (which
// are then not converted whole), a source playlist or link file into its entries, resolved against
// its folder; an entry that cannot be used becomes an item that fails with the reason.
class SourceScanner final {
public:
    // Asked for every file that would be converted; false leaves it out.
    using AcceptFile = std::function<bool(const std::string& path)>;

    // `found` is told of every file found in a folder (to show that the scan goes on).
    SourceScanner(const BatchSettings& settings, AcceptFile accept, std::function<bool()> stopped,
                  std::function<void()> found = nullptr);

    std::vector<SourceEntry> scan(const std::vector<std::string>& sources) const;

    static bool isRemote(const std::string& source);
    // A file:// address as the local path it names; any other source as it is.
    static std::string localSource(const std::string& source);
    static bool isMediaFile(const std::string& path);
    static bool isImageOrText(const std::string& path);

private:
    void addFolder(const std::string& folder, std::vector<SourceEntry>& out) const;
    bool isDestination(const std::filesystem::path& folder) const;
    void entriesForFile(const std::string& path, const std::string& root, uint32_t flags,
                        std::vector<SourceEntry>& out) const;
    void addTracks(const std::string& sheetPath, const lists::CueSheet& sheet, const std::string& root,
                   uint32_t flags, std::vector<SourceEntry>& out) const;
    void addPlaylist(const std::string& path, uint32_t flags, std::vector<SourceEntry>& out) const;
    bool isAcceptedList(const std::string& path) const;

    const BatchSettings& settings_;
    AcceptFile accept_;
    std::function<bool()> stopped_;
    std::function<void()> found_;
    // Set while a list's entries are added: lists met then (named by it, or in a folder it names)
    // are not followed, so no list can lead back to itself.
    mutable bool insideList_ = false;
};

} // namespace sonvale::engine
