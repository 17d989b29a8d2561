#include "platform/engine/lists/PlaylistEntryCollector.h"

#include <string>

namespace sonvale::lists {

PlaylistEntryCollector::PlaylistEntryCollector(std::vector<RawPlaylistEntry>& entries)
    : entries_(entries)
{
}

bool PlaylistEntryCollector::add(RawPlaylistEntry entry)
{
    if (entry.location.empty())
        return true;
    if (entries_.size() >= kMaxPlaylistEntries) {
        full_ = true;
        return false;
    }
    entries_.push_back(std::move(entry));
    return true;
}

Status PlaylistEntryCollector::status() const
{
    return full_ ? tooManyEntries() : Status::success();
}

Status PlaylistEntryCollector::tooManyEntries()
{
    return Status::failure("The list has more than " + std::to_string(kMaxPlaylistEntries) +
                           " entries");
}

} // namespace sonvale::lists
