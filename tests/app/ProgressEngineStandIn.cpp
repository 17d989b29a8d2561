#include "tests/app/ProgressEngineStandIn.h"

#include "platform/tqkit/TQTaskInfoRecord.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>

namespace fs = std::filesystem;

class TQKitConverter {};

// One registered callback; replacing it waits for calls running on other threads.
template <class Function>
class StandInCallback {
public:
    template <class... Args>
    int call(int missing, Args... args)
    {
        std::lock_guard lock(mutex_);
        if (!function_)
            return missing;
        if constexpr (std::is_void_v<decltype(function_(args..., context_))>) {
            function_(args..., context_);
            return 0;
        } else {
            return function_(args..., context_);
        }
    }
    void set(Function function, void* context)
    {
        std::lock_guard lock(mutex_);
        function_ = function;
        context_ = context;
    }
    bool isSet()
    {
        std::lock_guard lock(mutex_);
        return function_ != nullptr;
    }

private:
    std::recursive_mutex mutex_; // a callback may remove itself
    Function function_ = nullptr;
    void* context_ = nullptr;
};

class TQKitConversionListItem {
public:
    uint32_t id = 0;
    std::string path;
    std::string name;
    std::atomic<int> status{0};
    std::atomic<double> progress{0.0};
    std::mutex mutex;
    uint32_t completionFlags = 0;
    std::string completionName;
    std::string resultPath;
    StandInCallback<TQKitItemCallback> callback;
};

class TQKitConversionList {
public:
    std::atomic<int> references{1};
    std::atomic<int32_t> state{0};
    std::atomic<bool> stopped{false};
    std::mutex mutex;
    TQTaskInfoRecord record;
    std::vector<std::unique_ptr<TQKitConversionListItem>> items;
    StandInCallback<TQKitListCallback> callback;
};

namespace {

std::mutex scriptMutex;
std::vector<TQKitConversionList*> started;
std::atomic<bool> capacityCritical{false};

bool isMediaFile(const fs::path& path)
{
    static const std::set<std::string> extensions{".wav", ".mp3", ".m4a", ".flac", ".aiff", ".aif", ".ogg"};
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    return extensions.count(extension) != 0;
}

std::vector<fs::path> filesOf(const std::string& source)
{
    std::error_code error;
    if (!fs::is_directory(source, error))
        return {fs::path(source)};
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(source, error)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

namespace sonvale::test::engine {

TQKitConverter* converter()
{
    static TQKitConverter instance;
    return &instance;
}

TQKitConversionList* createList(const std::string& destination)
{
    auto* list = new TQKitConversionList;
    TQKitTaskInfoInit(&list->record);
    TQKitTaskInfoSetDestination(&list->record, destination.c_str(), destination.size());
    return list;
}

int referenceCount(const TQKitConversionList* list) { return list->references.load(); }

int notify(TQKitConversionList* list, uint32_t type, void* data) { return list->callback.call(-1, type, data); }

void setState(TQKitConversionList* list, int32_t state) { list->state = state; }

void setCapacityCritical(bool critical) { capacityCritical = critical; }

std::vector<TQKitConversionList*> startedLists()
{
    std::lock_guard lock(scriptMutex);
    return started;
}

void forgetStartedLists()
{
    std::lock_guard lock(scriptMutex);
    started.clear();
}

std::vector<TQKitConversionListItem*> items(const TQKitConversionList* list)
{
    std::vector<TQKitConversionListItem*> result;
    TQKitConversionListGetItems(list, result);
    return result;
}

void setItemStatus(TQKitConversionListItem* item, int status)
{
    item->status = status;
    item->callback.call(0, uint32_t{1}, uintptr_t{0});
}

void setItemProgress(TQKitConversionListItem* item, double progress)
{
    item->progress = progress;
    item->callback.call(0, uint32_t{0}, uintptr_t{0});
}

void completeItem(TQKitConversionListItem* item, const std::string& name, uint32_t flags, const std::string& resultPath)
{
    {
        std::lock_guard lock(item->mutex);
        item->completionName = name;
        item->completionFlags = flags;
        item->resultPath = resultPath;
    }
    item->progress = 1.0;
    setItemStatus(item, 9);
}

bool itemHasCallback(const TQKitConversionListItem* item)
{
    return const_cast<TQKitConversionListItem*>(item)->callback.isSet();
}

} // namespace sonvale::test::engine

void TQKitConversionListRetain(TQKitConversionList* list) { ++list->references; }

void TQKitConversionListRelease(TQKitConversionList* list)
{
    if (--list->references == 0)
        delete list;
}

void TQKitConversionListSetCallback(TQKitConversionList* list, TQKitListCallback callback, void* context)
{
    list->callback.set(callback, context);
}

void TQKitConversionListSetTaskInfo(TQKitConversionList* list, const TQTaskInfoRecord* record)
{
    std::lock_guard lock(list->mutex);
    list->record = *record;
}

void TQKitConversionListGetTaskInfo(const TQKitConversionList* list, TQTaskInfoRecord* record)
{
    auto* mutableList = const_cast<TQKitConversionList*>(list);
    std::lock_guard lock(mutableList->mutex);
    *record = list->record;
}

void TQKitConversionListPrepareSources(TQKitConversionList*, const std::vector<std::string>&) {}

bool TQKitConversionListHasLocalSources(TQKitConversionList*, const std::vector<std::string>& sources)
{
    return std::any_of(sources.begin(), sources.end(), [](const std::string& s) { return s.find("://") == std::string::npos; });
}

bool TQKitConversionListHasNetworkSources(TQKitConversionList*, const std::vector<std::string>& sources)
{
    return std::any_of(sources.begin(), sources.end(), [](const std::string& s) { return s.find("://") != std::string::npos; });
}

bool TQKitConversionListSourcesAccessible(TQKitConversionList*, const std::vector<std::string>&) { return true; }

bool TQKitConversionListFolderNeedingAccess(TQKitConversionList*, const std::vector<std::string>&, std::string&)
{
    return false;
}

double TQKitConversionListScanValue(TQKitConversionList*) { return 0.0; }

void TQKitConversionListAddSources(TQKitConversionList* list, const std::vector<std::string>& sources, uint32_t,
                                   double)
{
    std::lock_guard lock(list->mutex);
    std::set<std::string> known;
    for (const auto& item : list->items)
        known.insert(item->path);
    for (const std::string& source : sources) {
        for (const fs::path& file : filesOf(source)) {
            if (known.count(file.string()) || !(list->record.acceptNonMediaFiles || isMediaFile(file)))
                continue;
            auto item = std::make_unique<TQKitConversionListItem>();
            item->id = static_cast<uint32_t>(list->items.size() + 1);
            item->path = file.string();
            item->name = file.filename().string();
            known.insert(item->path);
            list->items.push_back(std::move(item));
        }
    }
}

bool TQKitConversionListOutputDirectory(TQKitConversionList* list, std::string& folder)
{
    std::lock_guard lock(list->mutex);
    if (list->record.asSourceFolder && !list->items.empty())
        folder = fs::path(list->items.front()->path).parent_path().string();
    else
        folder = list->record.destinationFolder;
    return !folder.empty();
}

bool TQKitConversionListDestinationNeedsAccess(TQKitConversionList*) { return false; }

bool TQKitConversionListCollectFolders(TQKitConversionList* list, int, std::vector<std::string>& folders)
{
    std::lock_guard lock(list->mutex);
    std::set<std::string> unique;
    for (const auto& item : list->items)
        unique.insert(fs::path(item->path).parent_path().string());
    folders.assign(unique.begin(), unique.end());
    return !folders.empty();
}

uint32_t TQKitConversionListFlags(const TQKitConversionList* list, int)
{
    TQTaskInfoRecord record;
    TQKitConversionListGetTaskInfo(list, &record);
    return record.asSourceFolder ? kTQKitListFlagResultsBesideSources : 0;
}

size_t TQKitConversionListItemCount(const TQKitConversionList* list)
{
    std::lock_guard lock(const_cast<TQKitConversionList*>(list)->mutex);
    return list->items.size();
}

size_t TQKitConversionListAcceptedCount(const TQKitConversionList* list) { return TQKitConversionListItemCount(list); }

size_t TQKitConversionListSucceededCount(const TQKitConversionList* list)
{
    size_t count = 0;
    for (TQKitConversionListItem* item : sonvale::test::engine::items(list))
        count += (TQKitConversionListItemCompletion(list, item, nullptr) & 0x40) != 0;
    return count;
}

size_t TQKitConversionListPendingCount(const TQKitConversionList* list)
{
    size_t count = 0;
    for (TQKitConversionListItem* item : sonvale::test::engine::items(list))
        count += item->status != 9;
    return count;
}

size_t TQKitConversionListExtraCount(const TQKitConversionList*) { return 0; }
uint64_t TQKitConversionListTotalBytes(const TQKitConversionList*) { return 4'000'000; }
uint64_t TQKitConversionListDoneBytes(const TQKitConversionList*) { return 1'000'000; }
double TQKitConversionListSecondsRemaining(const TQKitConversionList*) { return 12.0; }

void TQKitConversionListGetItems(const TQKitConversionList* list, std::vector<TQKitConversionListItem*>& items)
{
    std::lock_guard lock(const_cast<TQKitConversionList*>(list)->mutex);
    items.clear();
    for (const auto& item : list->items)
        items.push_back(item.get());
}

bool TQKitConversionListHasResults(const TQKitConversionList* list)
{
    return TQKitConversionListSucceededCount(list) != 0;
}

int32_t TQKitConversionListState(const TQKitConversionList* list) { return list->stopped ? 4 : list->state.load(); }
bool TQKitConversionListIsStopped(const TQKitConversionList* list) { return list->stopped; }
void TQKitConversionListStop(TQKitConversionList* list) { list->stopped = true; }
void TQKitConversionListDetach(TQKitConversionList* list) { list->stopped = true; }

uint32_t TQKitConversionListItemId(const TQKitConversionListItem* item) { return item ? item->id : 0; }

const char* TQKitConversionListItemPath(const TQKitConversionListItem* item, std::string& out)
{
    out = item ? item->path : std::string();
    return out.c_str();
}

const char* TQKitConversionListItemName(const TQKitConversionListItem* item, std::string& scratch)
{
    scratch = item ? item->name : std::string();
    return scratch.c_str();
}

bool TQKitConversionListItemHasFlag(const TQKitConversionList*, const TQKitConversionListItem*, uint32_t) { return false; }

int TQKitConversionListItemStatus(const TQKitConversionList*, const TQKitConversionListItem* item)
{
    return item ? item->status.load() : 0;
}

double TQKitConversionListItemProgress(const TQKitConversionList*, const TQKitConversionListItem* item)
{
    return item ? item->progress.load() : 0.0;
}

uint32_t TQKitConversionListItemCompletion(const TQKitConversionList*, const TQKitConversionListItem* item,
                                           std::string* name)
{
    if (!item)
        return 0;
    auto* mutableItem = const_cast<TQKitConversionListItem*>(item);
    std::lock_guard lock(mutableItem->mutex);
    if (name)
        *name = item->completionName;
    return item->completionFlags;
}

size_t TQKitConversionListItemResults(const TQKitConversionList*, const TQKitConversionListItem* item,
                                      std::vector<TQKitResultEntry>& entries, int)
{
    entries.clear();
    auto* mutableItem = const_cast<TQKitConversionListItem*>(item);
    std::lock_guard lock(mutableItem->mutex);
    if (!item->resultPath.empty())
        entries.push_back(TQKitResultEntry{item->resultPath, item->path, {}, {}, 0});
    return entries.size();
}

std::set<std::string> TQKitConversionListItemRelatedPaths(const TQKitConversionList*, const TQKitConversionListItem*)
{
    return {};
}

void TQKitConversionListItemSetCallback(TQKitConversionList*, TQKitConversionListItem* item, TQKitItemCallback callback,
                                        void* context)
{
    item->callback.set(callback, context);
}

bool TQKitConverterIsIdle(const TQKitConverter*) { return true; }
void TQKitConverterReleaseList(TQKitConverter*, TQKitConversionList*) {}

void TQKitConversionStart(TQKitConverter*, TQKitConversionList* list)
{
    std::lock_guard lock(scriptMutex);
    started.push_back(list);
}

bool TQKitConversionCapacityCritical(const TQKitConversionList*) { return capacityCritical; }
