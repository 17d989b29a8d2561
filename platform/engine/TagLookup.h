#pragma once

#include <atomic>
#include <string>

#include "platform/engine/TagSet.h"

namespace sonvale::engine {

// A service that finds the tags a source lacks (an online music database). The converter asks it
// for every item when the batch loads tags from the network, with the item in status 7 (loading
// tags); what it answers fills only the tags the source lacks. Called on converter worker threads,
// several at once; returns soon after `stop` is set.
class TagLookup {
public:
    virtual ~TagLookup() = default;
    virtual TagSet lookUp(const std::string& sourcePath, const std::atomic<bool>& stop) = 0;
};

// No database is reachable from here: finds nothing. The converter's default.
class NoTagLookup final : public TagLookup {
public:
    TagSet lookUp(const std::string&, const std::atomic<bool>&) override { return {}; }
};

} // namespace sonvale::engine
