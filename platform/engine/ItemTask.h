#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/engine/DestinationPlanner.h"
#include "platform/engine/ItemRunner.h"
#include "platform/engine/PageMediaFinder.h"
#include "platform/engine/TagLookup.h"
#include "platform/engine/UrlDownloader.h"
#include "platform/engine/lists/ResultPlaylistEntry.h"

class TQKitConversionList;
class TQKitConversionListItem;

namespace sonvale::engine {

// Carries one item of a running list from start to completion on a converter worker: fetch a
// remote source (the media of a web page through its finder), ask the application for tags (callbacks 16 and 17) and the lookup service for
// missing ones, run the job, move the result
// into its place under the overwrite policy, and complete the item with its name and flags. Every
// way out completes the item and removes the item's temporary files.
class ItemTask final {
public:
    ItemTask(TQKitConversionList& list, TQKitConversionListItem& item, ItemRunner& runner, TagLookup& lookup,
             DestinationPlanner::PatternRenderer renderer, const DownloadLimits& downloads,
             const PageMediaFinder::Options& pageFinder);
    ~ItemTask();
    ItemTask(const ItemTask&) = delete;
    ItemTask& operator=(const ItemTask&) = delete;

    void run();

private:
    void runSteps();
    Status prepareWorkFolder();
    Status fetchRemoteSource();
    // The page's media this item converts: the first it offers; the others become items of the list.
    Status findPageMedia(const std::filesystem::path& pageFile);
    Status fetchPageMedia(const PageMedia& media);
    UrlDownloader::Events downloadEvents();
    std::optional<TagSet> askApplicationForTags();
    ItemJob jobFor(const std::filesystem::path& output);
    void convert();
    void copy();
    // Moves the finished temporary file to `wanted` and completes the item.
    void place(const std::filesystem::path& temporary, const std::filesystem::path& wanted, const std::string& done);
    void fail(const Status& why);
    DestinationPlanner::Request request(const std::string& extension, TagSet tags = {}) const;

    TQKitConversionList& list_;
    TQKitConversionListItem& item_;
    ItemRunner& runner_;
    TagLookup& lookup_;
    const BatchSettings& settings_;
    DestinationPlanner planner_;
    const DownloadLimits& downloads_;
    const PageMediaFinder::Options& pageFinder_;
    std::filesystem::path workFolder_; // the item's private temporary folder ("_PATH_TEMP")
    std::filesystem::path temporary_;  // the result being written, inside the destination
    std::optional<lists::ResultPlaylistEntry> playlistEntry_; // of a converted result, once known
    std::optional<PageMedia> pageMedia_; // what a web page address turned out to offer
};

} // namespace sonvale::engine
