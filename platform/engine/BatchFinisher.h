#pragma once

#include <string>
#include <vector>

#include "platform/engine/BatchSettings.h"

class TQKitConversionListItem;

namespace sonvale::engine {

// What a batch does once its last item has ended: the playlist of its results, the converted
// copies of its source playlists, and moving the converted sources to the Bin. Only sources whose
// every item was converted go to the Bin (never a failed, skipped or stopped one, a remote one, or
// one its result replaced). Runs once, on the thread that ends the batch.
class BatchFinisher final {
public:
    // `items` in the batch's order; `defaultPlaylistName` names the result playlist when the
    // settings name none.
    BatchFinisher(const BatchSettings& settings, std::vector<TQKitConversionListItem*> items,
                  std::string defaultPlaylistName);

    // What could not be done, one sentence each.
    std::vector<std::string> finish();

private:
    void writeResultPlaylist(std::vector<std::string>& problems) const;
    void writeSourcePlaylists(std::vector<std::string>& problems) const;
    void moveSourcesToBin(std::vector<std::string>& problems) const;

    const BatchSettings& settings_;
    const std::vector<TQKitConversionListItem*> items_;
    const std::string defaultPlaylistName_;
};

} // namespace sonvale::engine
