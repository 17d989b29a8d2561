#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/engine/DestinationPlanner.h"
#include "platform/engine/ItemRunner.h"
#include "platform/engine/PageMediaFinder.h"
#include "platform/engine/TagLookup.h"
#include "platform/engine/UrlDownloader.h"

class TQKitConversionList;
class TQKitConversionListItem;

// How a converter runs items; the application takes the defaults.
struct TQKitConverterOptions {
    // Null: each item in a conversion-service process next to the executable.
    std::shared_ptr<sonvale::engine::ItemRunner> runner;
    // 0: one per processor core.
    unsigned workers = 0;
    // Renders the folder and file-name patterns; null: the pattern renderer of the settings.
    sonvale::engine::DestinationPlanner::PatternRenderer renderer;
    // Finds missing tags when a batch loads them from the network; null: nothing is found.
    std::shared_ptr<sonvale::engine::TagLookup> tagLookup;
    // How much and how slowly an address source may download before it fails.
    sonvale::engine::DownloadLimits downloadLimits;
    // How the media of web pages are looked for.
    sonvale::engine::PageMediaFinder::Options pageFinder;
};

// Runs the items of started lists on a pool of worker threads, oldest list first, one item per
// worker at a time. Lists live on their own references: the converter holds one on each list it
// runs, until the list has finished.
class TQKitConverter final {
public:
    explicit TQKitConverter(TQKitConverterOptions options);
    ~TQKitConverter(); // stops every list and waits for the workers
    TQKitConverter(const TQKitConverter&) = delete;
    TQKitConverter& operator=(const TQKitConverter&) = delete;

    void start(TQKitConversionList* list);
    void releaseList(TQKitConversionList* list);
    bool isIdle() const;
    int processCount() const { return options_.runner->activeConversions(); }

private:
    void work();
    // The next item of the oldest list with work left; drops lists that have none.
    bool takeWork(TQKitConversionList*& list, TQKitConversionListItem*& item, bool& first);
    void requeueGrownList(TQKitConversionList* list, size_t added);

    TQKitConverterOptions options_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<TQKitConversionList*> lists_;
    std::vector<std::thread> workers_;
    std::atomic<int> running_{0};
    bool shuttingDown_ = false;
};

void TQKitConverterCreate(TQKitConverter** slot);
void TQKitConverterCreateWithOptions(TQKitConverter** slot, TQKitConverterOptions options);
void TQKitConverterDestroy(TQKitConverter** slot);
bool TQKitConverterIsIdle(const TQKitConverter* converter);
// How many conversion processes (or in-process conversions) run right now.
int TQKitConverterProcessCount(const TQKitConverter* converter);
// The converter lets go of the list; a running list is stopped.
void TQKitConverterReleaseList(TQKitConverter* converter, TQKitConversionList* list);
void TQKitConversionStart(TQKitConverter* converter, TQKitConversionList* list);
// True when so many items wait process-wide that a new batch should wait before it starts.
bool TQKitConversionCapacityCritical(const TQKitConversionList* list);
