#include "platform/engine/TQKitConverter.h"

#include <algorithm>

#include "platform/engine/ItemTask.h"
#include "platform/engine/TagListNames.h"
#include "platform/engine/ServiceItemRunner.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/WorkFolders.h"
#include "platform/tqkit/TQKitPatternRenderer.h"

namespace {

using sonvale::engine::ItemTask;

// Items waiting in started lists across every converter of the process.
std::atomic<long> waitingItemsInProcess{0};
constexpr long kCriticalWaitingItems = 100000;

} // namespace

TQKitConverter::TQKitConverter(TQKitConverterOptions options) : options_(std::move(options))
{
    if (!options_.runner)
        options_.runner = std::make_shared<sonvale::engine::ServiceItemRunner>(
            sonvale::engine::ServiceItemRunner::defaultServicePath());
    if (!options_.tagLookup)
        options_.tagLookup = std::make_shared<sonvale::engine::NoTagLookup>();
    if (!options_.renderer)
        options_.renderer = [](const std::string& pattern, const sonvale::engine::TagSet& tags, bool folders) {
            TQKitPatternRenderOptions render;
            render.folders = folders;
            render.fallbackName = folders ? "" : "Untitled";
            render.emptyWithoutValues = !folders; // the result keeps its source's name
            return TQKitPatternRenderPath(pattern, sonvale::engine::TagListNames::valuesFor(tags), render);
        };
    sonvale::engine::WorkFolders::sweepDead();
    const unsigned count = options_.workers ? options_.workers : std::max(1u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < count; ++i)
        workers_.emplace_back([this] { work(); });
}

TQKitConverter::~TQKitConverter()
{
    std::deque<TQKitConversionList*> lists;
    {
        std::lock_guard lock(mutex_);
        shuttingDown_ = true;
        lists = lists_;
    }
    for (auto* list : lists)
        list->stop();
    wake_.notify_all();
    for (auto& worker : workers_)
        worker.join();
    for (auto* list : lists_)
        list->release();
}

void TQKitConverter::start(TQKitConversionList* list)
{
    if (!list->beginConversion())
        return;
    list->retain();
    waitingItemsInProcess += long(list->untakenCount());
    bool busy;
    {
        std::lock_guard lock(mutex_);
        lists_.push_back(list);
        busy = size_t(running_.load()) >= workers_.size();
    }
    if (busy)
        list->notify(14); // every worker is taken: the batch waits its turn
    wake_.notify_all();
}

void TQKitConverter::releaseList(TQKitConversionList* list)
{
    list->stop();
    wake_.notify_all();
}

bool TQKitConverter::isIdle() const
{
    std::lock_guard lock(mutex_);
    return running_.load() == 0
           && std::none_of(lists_.begin(), lists_.end(), [](auto* list) { return list->hasWorkLeft(); });
}

bool TQKitConverter::takeWork(TQKitConversionList*& list, TQKitConversionListItem*& item, bool& first)
{
    while (!lists_.empty()) {
        list = lists_.front();
        item = list->takeNextItem(first);
        if (item) {
            --waitingItemsInProcess;
            if (list->hasWorkLeft())
                list->retain(); // the worker's own reference; the queue keeps its one
            else
                lists_.pop_front(); // the queue's reference passes to the worker
            return true;
        }
        lists_.pop_front();
        waitingItemsInProcess -= long(list->untakenCount());
        list->release();
    }
    return false;
}

// A web page item adds the page's other media to its list while it runs; the list may have left
// the queue with its last item, so it joins it again.
void TQKitConverter::requeueGrownList(TQKitConversionList* list, size_t added)
{
    if (added == 0)
        return;
    std::lock_guard lock(mutex_);
    waitingItemsInProcess += long(added);
    if (std::find(lists_.begin(), lists_.end(), list) == lists_.end() && list->hasWorkLeft()) {
        list->retain();
        lists_.push_back(list);
    }
}

void TQKitConverter::work()
{
    while (true) {
        TQKitConversionList* list = nullptr;
        TQKitConversionListItem* item = nullptr;
        bool first = false;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return shuttingDown_ || takeWork(list, item, first); });
            if (!item)
                return;
            ++running_;
        }
        list->announceItemStarted(first);
        const size_t itemsBefore = list->itemCount();
        ItemTask(*list, *item, *options_.runner, *options_.tagLookup, options_.renderer, options_.downloadLimits,
                 options_.pageFinder)
            .run();
        requeueGrownList(list, list->itemCount() - itemsBefore);
        --running_;
        list->itemFinished(item);
        list->release();
        wake_.notify_all();
        if (isIdle())
            options_.runner->releaseIdleServices();
    }
}

void TQKitConverterCreate(TQKitConverter** slot)
{
    TQKitConverterCreateWithOptions(slot, {});
}

void TQKitConverterCreateWithOptions(TQKitConverter** slot, TQKitConverterOptions options)
{
    if (slot && !*slot)
        *slot = new TQKitConverter(std::move(options));
}

void TQKitConverterDestroy(TQKitConverter** slot)
{
    if (slot) {
        delete *slot;
        *slot = nullptr;
    }
}

bool TQKitConverterIsIdle(const TQKitConverter* converter)
{
    return !converter || converter->isIdle();
}

int TQKitConverterProcessCount(const TQKitConverter* converter)
{
    return converter ? converter->processCount() : 0;
}

void TQKitConverterReleaseList(TQKitConverter* converter, TQKitConversionList* list)
{
    if (converter && list)
        converter->releaseList(list);
}

void TQKitConversionStart(TQKitConverter* converter, TQKitConversionList* list)
{
    if (converter && list)
        converter->start(list);
}

bool TQKitConversionCapacityCritical(const TQKitConversionList*)
{
    return waitingItemsInProcess.load() >= kCriticalWaitingItems;
}
