#include "tests/app/support/TQKitEngineStandIn.h"

#include "platform/engine/TQKitCaches.h"
#include "platform/tqkit/TQTaskInfoRecord.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>

namespace fs = std::filesystem;

namespace {

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

// The stand-in's own handles; the engine's handle types are only ever pointers to these.
struct StandInConverter {};

struct StandInItem {
    uint32_t id = 0;
    std::string path;
    std::string name;
    std::atomic<int> status{TQKitConversionListItem::NotStarted};
    std::atomic<double> progress{0.0};
    std::mutex mutex;
    uint32_t completionFlags = 0;
    std::string completionName;
    std::string resultPath;
    StandInCallback<TQKitItemCallback> callback;
};

struct StandInList {
    std::atomic<int> references{1};
    std::atomic<int32_t> state{TQKitConversionList::NotStarted};
    std::atomic<bool> stopped{false};
    std::mutex mutex;
    TQTaskInfoRecord record;
    std::string destination;
    std::vector<std::unique_ptr<StandInItem>> items;
    StandInCallback<TQKitListCallback> callback;
};

// Handles are cast, never dereferenced as the engine's types. Locking works on const handles too.
StandInList* in(const TQKitConversionList* list)
{
    return reinterpret_cast<StandInList*>(const_cast<TQKitConversionList*>(list));
}
StandInItem* in(const TQKitConversionListItem* item)
{
    return reinterpret_cast<StandInItem*>(const_cast<TQKitConversionListItem*>(item));
}
TQKitConversionListItem* out(StandInItem* item) { return reinterpret_cast<TQKitConversionListItem*>(item); }

// What the test decided; set on the test's thread before the engine is asked.
struct Script {
    bool converterCreateFails = false;
    bool listCreateFails = false;
    int processCount = 0;
    bool capacityCritical = false;
    bool artworkDownloadUseful = false;
    int cacheClearings = 0;
    std::vector<TQKitConversionList*> started; // guarded by scriptMutex()
};

// Handles alive; lists may go on any thread.
std::atomic<int> liveLists{0};
std::atomic<int> liveConverters{0};

Script& script()
{
    static Script instance;
    return instance;
}

std::mutex& scriptMutex()
{
    static std::mutex mutex;
    return mutex;
}

TQKitConversionList* newList()
{
    auto* list = new StandInList;
    TQKitTaskInfoInit(&list->record);
    ++liveLists;
    return reinterpret_cast<TQKitConversionList*>(list);
}

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

void reset()
{
    std::lock_guard lock(scriptMutex());
    script() = Script{};
}

void setConverterCreateFails(bool fails) { script().converterCreateFails = fails; }
void setListCreateFails(bool fails) { script().listCreateFails = fails; }
void setProcessCount(int count) { script().processCount = count; }
void setCapacityCritical(bool critical) { script().capacityCritical = critical; }
void setArtworkDownloadUseful(bool useful) { script().artworkDownloadUseful = useful; }
int liveListCount() { return liveLists.load(); }
int liveConverterCount() { return liveConverters.load(); }
int cacheClearingCount() { return script().cacheClearings; }

TQKitConverter* converter()
{
    static StandInConverter instance;
    return reinterpret_cast<TQKitConverter*>(&instance);
}

TQKitConversionList* createList(const std::string& destination)
{
    TQKitConversionList* list = newList();
    TQKitTaskInfoSetDestination(&in(list)->record, destination.c_str(), destination.size());
    return list;
}

int referenceCount(const TQKitConversionList* list) { return in(list)->references.load(); }
std::string listDestination(const TQKitConversionList* list) { return in(list)->destination; }

int notify(TQKitConversionList* list, uint32_t type, void* data) { return in(list)->callback.call(-1, type, data); }

void setListState(TQKitConversionList* list, int32_t state) { in(list)->state = state; }

std::vector<TQKitConversionList*> startedLists()
{
    std::lock_guard lock(scriptMutex());
    return script().started;
}

std::vector<TQKitConversionListItem*> items(const TQKitConversionList* list)
{
    std::vector<TQKitConversionListItem*> result;
    TQKitConversionListGetItems(list, result);
    return result;
}

void setItemStatus(TQKitConversionListItem* item, int status)
{
    in(item)->status = status;
    in(item)->callback.call(0, uint32_t{1}, uintptr_t{0});
}

void setItemProgress(TQKitConversionListItem* item, double progress)
{
    in(item)->progress = progress;
    in(item)->callback.call(0, uint32_t{0}, uintptr_t{0});
}

void completeItem(TQKitConversionListItem* item, const std::string& name, uint32_t flags, const std::string& resultPath)
{
    {
        std::lock_guard lock(in(item)->mutex);
        in(item)->completionName = name;
        in(item)->completionFlags = flags;
        in(item)->resultPath = resultPath;
    }
    in(item)->progress = 1.0;
    setItemStatus(item, TQKitConversionListItem::Completed);
}

bool itemHasCallback(const TQKitConversionListItem* item) { return in(item)->callback.isSet(); }

} // namespace sonvale::test::engine

void TQKitConverterCreate(TQKitConverter** slot)
{
    if (script().converterCreateFails) {
        *slot = nullptr;
        return;
    }
    *slot = reinterpret_cast<TQKitConverter*>(new StandInConverter);
    ++liveConverters;
}

void TQKitConverterDestroy(TQKitConverter** slot)
{
    if (slot == nullptr || *slot == nullptr)
        return;
    delete reinterpret_cast<StandInConverter*>(*slot);
    *slot = nullptr;
    --liveConverters;
}

int TQKitConverterProcessCount(const TQKitConverter*) { return script().processCount; }

void TQKitClearCaches() { ++script().cacheClearings; }

void TQKitConversionListCreate(TQKitConversionList** out)
{
    if (script().listCreateFails) {
        *out = nullptr;
        return;
    }
    *out = newList();
}

void TQKitConversionListSetDestination(TQKitConversionList* list, const void* accessData, size_t length)
{
    in(list)->destination.assign(static_cast<const char*>(accessData), length);
}

void TQKitConversionListRetain(TQKitConversionList* list) { ++in(list)->references; }

void TQKitConversionListRelease(TQKitConversionList* list)
{
    if (list == nullptr || --in(list)->references > 0)
        return;
    delete in(list);
    --liveLists;
}

void TQKitConversionListSetCallback(TQKitConversionList* list, TQKitListCallback callback, void* context)
{
    in(list)->callback.set(callback, context);
}

void TQKitConversionListSetTaskInfo(TQKitConversionList* list, const TQTaskInfoRecord* record)
{
    std::lock_guard lock(in(list)->mutex);
    in(list)->record = *record;
}

void TQKitConversionListGetTaskInfo(const TQKitConversionList* list, TQTaskInfoRecord* record)
{
    std::lock_guard lock(in(list)->mutex);
    *record = in(list)->record;
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
    std::lock_guard lock(in(list)->mutex);
    std::set<std::string> known;
    for (const auto& item : in(list)->items)
        known.insert(item->path);
    for (const std::string& source : sources) {
        for (const fs::path& file : filesOf(source)) {
            if (known.count(file.string()) || !(in(list)->record.acceptNonMediaFiles || isMediaFile(file)))
                continue;
            auto item = std::make_unique<StandInItem>();
            item->id = static_cast<uint32_t>(in(list)->items.size() + 1);
            item->path = file.string();
            item->name = file.filename().string();
            known.insert(item->path);
            in(list)->items.push_back(std::move(item));
        }
    }
}

bool TQKitConversionListOutputDirectory(TQKitConversionList* list, std::string& folder)
{
    std::lock_guard lock(in(list)->mutex);
    if (in(list)->record.asSourceFolder && !in(list)->items.empty())
        folder = fs::path(in(list)->items.front()->path).parent_path().string();
    else
        folder = in(list)->record.destinationFolder;
    return !folder.empty();
}

bool TQKitConversionListDestinationNeedsAccess(TQKitConversionList*) { return false; }

bool TQKitConversionListCollectFolders(TQKitConversionList* list, int, std::vector<std::string>& folders)
{
    std::lock_guard lock(in(list)->mutex);
    std::set<std::string> unique;
    for (const auto& item : in(list)->items)
        unique.insert(fs::path(item->path).parent_path().string());
    folders.assign(unique.begin(), unique.end());
    return !folders.empty();
}

uint32_t TQKitConversionListFlags(const TQKitConversionList* list, int)
{
    TQTaskInfoRecord record;
    TQKitConversionListGetTaskInfo(list, &record);
    return record.asSourceFolder ? TQKitConversionList::kResultsBesideSources : 0;
}

size_t TQKitConversionListItemCount(const TQKitConversionList* list)
{
    std::lock_guard lock(in(list)->mutex);
    return in(list)->items.size();
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
        count += in(item)->status != 9;
    return count;
}

size_t TQKitConversionListExtraCount(const TQKitConversionList*) { return 0; }
uint64_t TQKitConversionListTotalBytes(const TQKitConversionList*) { return 4'000'000; }
uint64_t TQKitConversionListDoneBytes(const TQKitConversionList*) { return 1'000'000; }
double TQKitConversionListSecondsRemaining(const TQKitConversionList*) { return 12.0; }

void TQKitConversionListGetItems(const TQKitConversionList* list, std::vector<TQKitConversionListItem*>& items)
{
    std::lock_guard lock(in(list)->mutex);
    items.clear();
    for (const auto& item : in(list)->items)
        items.push_back(out(item.get()));
}

bool TQKitConversionListHasResults(const TQKitConversionList* list)
{
    return TQKitConversionListSucceededCount(list) != 0;
}

bool TQKitArtworkDownloadUseful(const TQKitConversionList*) { return script().artworkDownloadUseful; }

void TQKitConversionListEnumerateResults(const TQKitConversionList* list, TQKitResultCallback callback, void* context,
                                         void* data)
{
    std::vector<std::string> results;
    {
        std::lock_guard lock(in(list)->mutex);
        for (const auto& item : in(list)->items) {
            std::lock_guard itemLock(item->mutex);
            if (!item->resultPath.empty())
                results.push_back(item->resultPath);
        }
    }
    for (const std::string& path : results)
        if (!callback(context, path.c_str(), data))
            return;
}

int32_t TQKitConversionListState(const TQKitConversionList* list) { return in(list)->stopped ? TQKitConversionList::Finished : in(list)->state.load(); }
bool TQKitConversionListIsStopped(const TQKitConversionList* list) { return in(list)->stopped; }
void TQKitConversionListStop(TQKitConversionList* list) { in(list)->stopped = true; }
void TQKitConversionListDetach(TQKitConversionList* list) { in(list)->stopped = true; }

uint32_t TQKitConversionListItemId(const TQKitConversionListItem* item) { return item ? in(item)->id : 0; }

const char* TQKitConversionListItemPath(const TQKitConversionListItem* item, std::string& out)
{
    out = item ? in(item)->path : std::string();
    return out.c_str();
}

const char* TQKitConversionListItemName(const TQKitConversionListItem* item, std::string& scratch)
{
    scratch = item ? in(item)->name : std::string();
    return scratch.c_str();
}

bool TQKitConversionListItemHasFlag(const TQKitConversionList*, const TQKitConversionListItem*, uint32_t) { return false; }

int TQKitConversionListItemStatus(const TQKitConversionList*, const TQKitConversionListItem* item)
{
    return item ? in(item)->status.load() : 0;
}

double TQKitConversionListItemProgress(const TQKitConversionList*, const TQKitConversionListItem* item)
{
    return item ? in(item)->progress.load() : 0.0;
}

uint32_t TQKitConversionListItemCompletion(const TQKitConversionList*, const TQKitConversionListItem* item,
                                           std::string* name)
{
    if (!item)
        return 0;
    std::lock_guard lock(in(item)->mutex);
    if (name)
        *name = in(item)->completionName;
    return in(item)->completionFlags;
}

size_t TQKitConversionListItemResults(const TQKitConversionList*, const TQKitConversionListItem* item,
                                      std::vector<TQKitResultEntry>& entries, int)
{
    entries.clear();
    std::lock_guard lock(in(item)->mutex);
    if (!in(item)->resultPath.empty())
        entries.push_back(TQKitResultEntry{in(item)->resultPath, in(item)->path, {}, {}, 0});
    return entries.size();
}

std::set<std::string> TQKitConversionListItemRelatedPaths(const TQKitConversionList*, const TQKitConversionListItem*)
{
    return {};
}

void TQKitConversionListItemSetCallback(TQKitConversionList*, TQKitConversionListItem* item, TQKitItemCallback callback,
                                        void* context)
{
    in(item)->callback.set(callback, context);
}

bool TQKitConverterIsIdle(const TQKitConverter*) { return script().processCount == 0; }
void TQKitConverterReleaseList(TQKitConverter*, TQKitConversionList*) {}

void TQKitConversionStart(TQKitConverter*, TQKitConversionList* list)
{
    std::lock_guard lock(scriptMutex());
    script().started.push_back(list);
}

bool TQKitConversionCapacityCritical(const TQKitConversionList*) { return script().capacityCritical; }
