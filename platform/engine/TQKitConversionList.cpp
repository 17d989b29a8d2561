#include "platform/engine/TQKitConversionList.h"

#include <algorithm>
#include <iterator>
#include <filesystem>
#include <unistd.h>

#include "platform/engine/BatchFinisher.h"
#include "platform/engine/SourceScanner.h"
#include "platform/engine/TagReader.h"
#include "platform/engine/TaskInfoMapping.h"

namespace {

namespace fs = std::filesystem;
using sonvale::engine::BatchSettings;
using sonvale::engine::SourceScanner;

uint64_t fileSize(const std::string& path)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : uint64_t(size);
}

// How much of an item's source counts as done.
double doneFraction(const TQKitConversionListItem& item)
{
    return item.status() == TQKitConversionListItem::Completed ? 1.0 : item.progress();
}

} // namespace

void TQKitConversionList::retain()
{
    references_.fetch_add(1);
}

void TQKitConversionList::release()
{
    if (references_.fetch_sub(1) == 1)
        delete this;
}

void TQKitConversionList::setTaskInfo(const TQTaskInfoRecord& record)
{
    std::lock_guard lock(mutex_);
    record_ = record;
    settings_ = sonvale::engine::TaskInfoMapping::fromRecord(record);
}

TQTaskInfoRecord TQKitConversionList::taskInfo() const
{
    std::lock_guard lock(mutex_);
    return record_;
}

void TQKitConversionList::setSettings(const BatchSettings& settings)
{
    std::lock_guard lock(mutex_);
    settings_ = settings;
}

BatchSettings TQKitConversionList::settings() const
{
    std::lock_guard lock(mutex_);
    return settings_;
}

void TQKitConversionList::setDestinationAccess(std::vector<uint8_t> data)
{
    std::lock_guard lock(mutex_);
    destinationAccess_ = std::move(data);
}

void TQKitConversionList::setCallback(TQKitListCallback callback, void* context)
{
    callback_.replace({reinterpret_cast<sonvale::engine::CallbackGate::AnyFunction>(callback), context});
}

int TQKitConversionList::notify(uint32_t type, void* data)
{
    sonvale::engine::CallbackGate::Call call(callback_);
    auto fn = reinterpret_cast<TQKitListCallback>(call.target().function);
    return fn ? fn(type, data, call.target().context) : -1;
}

std::vector<std::string> TQKitConversionList::claimNewSources(const std::vector<std::string>& sources,
                                                              bool asSourceFolder)
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> fresh;
    std::error_code ec;
    for (const auto& s : sources) {
        if (s.empty() || !knownSources_.insert(s).second)
            continue;
        fresh.push_back(s);
        if (SourceScanner::isRemote(s))
            sourceFlags_ |= kHasRemote;
        else if (fs::is_directory(s, ec))
            sourceFlags_ |= kHasFolder;
    }
    if (knownSources_.size() == 1 && !(sourceFlags_ & (kHasFolder | kHasRemote)))
        sourceFlags_ |= kSingleFile;
    else
        sourceFlags_ &= ~kSingleFile;
    if (asSourceFolder)
        sourceFlags_ |= kResultsBesideSources;
    return fresh;
}

void TQKitConversionList::addSources(const std::vector<std::string>& given)
{
    const BatchSettings settings = this->settings();
    std::vector<std::string> sources;
    std::transform(given.begin(), given.end(), std::back_inserter(sources), SourceScanner::localSource);
    const std::vector<std::string> fresh = claimNewSources(sources, settings.asSourceFolder);
    SourceScanner scanner(
        settings,
        [this](const std::string& path) {
            if (hasItemFor(path))
                return false;
            const std::string name = fs::path(path).filename().string();
            return notify(1, const_cast<char*>(name.c_str())) != 0;
        },
        [this] { return isStopped(); }, [this] { notify(12); });
    // Scanning a large folder takes a while: the callback runs without the list's lock, and the
    // window says it is searching until the scan is done.
    const bool searches = std::any_of(fresh.begin(), fresh.end(), [](const std::string& source) {
        std::error_code ignored;
        return fs::is_directory(source, ignored);
    });
    if (searches) {
        notify(9, const_cast<char*>("default"));
        notify(7);
    }
    const std::vector<sonvale::engine::SourceEntry> entries = scanner.scan(fresh);
    if (searches) {
        notify(8);
        notify(4);
    }
    std::vector<uint64_t> sizes;
    for (const auto& entry : entries)
        sizes.push_back(entry.flags & TQKitConversionListItem::kRemote ? 0 : fileSize(entry.path));
    std::lock_guard lock(mutex_);
    std::set<std::string> present;
    for (const auto& item : items_)
        present.insert(sonvale::engine::SourceEntry{item->sourcePath(), {}, 0, item->kind(), item->origin()}.key());
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& entry = entries[i];
        if (!present.insert(entry.key()).second)
            continue;
        items_.push_back(std::make_unique<TQKitConversionListItem>(nextItemId_++, entry.path, entry.root, entry.flags,
                                                                   entry.kind, entry.origin));
        items_.back()->setSourceBytes(sizes[i]);
        totalBytes_ += sizes[i];
    }
}

bool TQKitConversionList::hasItemFor(const std::string& path) const
{
    std::lock_guard lock(mutex_);
    return std::any_of(items_.begin(), items_.end(), [&](const auto& item) { return item->sourcePath() == path; });
}

std::vector<TQKitConversionListItem*> TQKitConversionList::items() const
{
    std::lock_guard lock(mutex_);
    std::vector<TQKitConversionListItem*> out;
    for (const auto& item : items_)
        out.push_back(item.get());
    return out;
}

size_t TQKitConversionList::itemCount() const
{
    std::lock_guard lock(mutex_);
    return items_.size();
}

size_t TQKitConversionList::acceptedCount() const
{
    const auto all = items();
    return size_t(std::count_if(all.begin(), all.end(), [](auto* i) {
        return i->kind() == TQKitConversionListItem::Kind::Convert;
    }));
}

size_t TQKitConversionList::succeededCount() const
{
    const auto all = items();
    return size_t(std::count_if(all.begin(), all.end(), [](auto* i) {
        const auto code = i->resultCode();
        return code == TQKitConversionListItem::Converted || code == TQKitConversionListItem::Copied;
    }));
}

size_t TQKitConversionList::pendingCount() const
{
    const auto all = items();
    return size_t(std::count_if(all.begin(), all.end(), [](auto* i) {
        return i->status() != TQKitConversionListItem::Completed;
    }));
}

bool TQKitConversionList::hasResults() const
{
    const auto all = items();
    return std::any_of(all.begin(), all.end(), [](auto* i) { return !i->results().empty(); });
}

uint32_t TQKitConversionList::flags() const
{
    std::lock_guard lock(mutex_);
    return sourceFlags_;
}

uint64_t TQKitConversionList::totalBytes() const
{
    std::lock_guard lock(mutex_);
    return totalBytes_;
}

// Finished items count whole; of the few running ones, what they have done so far.
uint64_t TQKitConversionList::doneBytes() const
{
    std::lock_guard lock(mutex_);
    double done = double(finishedBytes_);
    for (auto* item : itemsInProgress_)
        done += double(item->sourceBytes()) * doneFraction(*item);
    return uint64_t(done);
}

void TQKitConversionList::setLocalSource(TQKitConversionListItem& item, std::string path)
{
    const uint64_t bytes = fileSize(path);
    item.setLocalSourcePath(std::move(path));
    std::lock_guard lock(mutex_);
    totalBytes_ += bytes - item.sourceBytes(); // modular: a smaller size lowers the total
    item.setSourceBytes(bytes);
}

double TQKitConversionList::secondsRemaining() const
{
    const uint64_t total = totalBytes(), done = doneBytes();
    if (state() != Converting || done == 0 || total == 0)
        return -1;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - startedAt_).count();
    return elapsed * double(total - std::min(done, total)) / double(done);
}

void TQKitConversionList::setState(State state)
{
    state_.store(state);
    int32_t value = state;
    notify(2, &value);
}

// The batch's playlists and the Bin come before the finished state, so whoever sees the state
// finds them done.
void TQKitConversionList::finishOnce()
{
    if (finished_.exchange(true))
        return;
    if (std::unique_lock lock(mutex_); started_) {
        lock.unlock();
        auto problems = sonvale::engine::BatchFinisher(running_, items(), defaultPlaylistName()).finish();
        lock.lock();
        finishingProblems_ = std::move(problems);
    }
    setState(Finished);
}

// A batch of one folder, playlist or file is named after it; any other after its destination.
std::string TQKitConversionList::defaultPlaylistName() const
{
    std::lock_guard lock(mutex_);
    if (knownSources_.size() == 1 && !SourceScanner::isRemote(*knownSources_.begin())) {
        const fs::path source = fs::path(*knownSources_.begin()).lexically_normal();
        const std::string name = (source.has_filename() ? source : source.parent_path()).stem().string();
        if (!name.empty())
            return name;
    }
    const fs::path destination = fs::path(running_.destinationFolder).lexically_normal();
    const std::string name = (destination.has_filename() ? destination : destination.parent_path()).filename().string();
    return name.empty() ? "Playlist" : name;
}

std::vector<std::string> TQKitConversionList::finishingProblems() const
{
    std::lock_guard lock(mutex_);
    return finishingProblems_;
}

void TQKitConversionList::stop()
{
    if (stopFlag_.exchange(true))
        return;
    bool finishNow = false;
    {
        std::lock_guard lock(mutex_);
        if (state_ == NotStarted || state_ == Finished)
            return;
        finishNow = itemsInProgress_.empty();
    }
    setState(Stopping);
    if (finishNow)
        finishOnce();
}

void TQKitConversionList::detach()
{
    stop();
    setCallback(nullptr, nullptr);
}

bool TQKitConversionList::beginConversion()
{
    {
        std::lock_guard lock(mutex_);
        if (started_)
            return false; // a list converts once; its workers read these settings unlocked
        started_ = true;
        running_ = settings_;
        startedAt_ = std::chrono::steady_clock::now();
    }
    if (isStopped() || itemCount() == 0) {
        state_.store(Waiting);
        finishOnce();
        return false;
    }
    setState(Waiting);
    announceTitle();
    return true;
}

// A batch of one file or address is titled after it.
void TQKitConversionList::announceTitle()
{
    const auto all = items();
    if (all.size() != 1)
        return;
    const TQKitConversionListItem& item = *all.front();
    const bool remote = item.flags() & TQKitConversionListItem::kRemote;
    TQKitTitleRecord title{item.sourcePath(), remote ? std::string() : item.name(), {}, uint8_t(remote ? 1 : 0)};
    notify(15, &title);
}

TQKitConversionListItem* TQKitConversionList::takeNextItem(bool& first)
{
    std::lock_guard lock(mutex_);
    if (stopFlag_ || nextToRun_ >= items_.size())
        return nullptr;
    first = nextToRun_ == 0;
    itemsInProgress_.push_back(items_[nextToRun_].get());
    return items_[nextToRun_++].get();
}

void TQKitConversionList::announceItemStarted(bool first)
{
    if (first && !isStopped())
        setState(Converting);
    notify(4);
}

size_t TQKitConversionList::untakenCount() const
{
    std::lock_guard lock(mutex_);
    return items_.size() - nextToRun_;
}

void TQKitConversionList::itemFinished(TQKitConversionListItem* item)
{
    bool done;
    {
        std::lock_guard lock(mutex_);
        std::erase(itemsInProgress_, item);
        finishedBytes_ += uint64_t(double(item->sourceBytes()) * doneFraction(*item));
        done = itemsInProgress_.empty() && (stopFlag_ || nextToRun_ >= items_.size());
    }
    reportProgress();
    if (done)
        finishOnce();
}

bool TQKitConversionList::hasWorkLeft() const
{
    std::lock_guard lock(mutex_);
    return !stopFlag_ && nextToRun_ < items_.size();
}

std::unique_lock<std::mutex> TQKitConversionList::lockResultPlacement()
{
    return std::unique_lock(placementMutex_);
}

bool TQKitConversionList::wroteResult(const std::string& path) const
{
    return writtenResults_.count(path) != 0;
}

void TQKitConversionList::addWrittenResult(const std::string& path)
{
    writtenResults_.insert(path);
}

void TQKitConversionList::reportProgress()
{
    const auto all = items();
    if (all.empty())
        return;
    double sum = 0;
    for (auto* item : all)
        sum += item->status() == TQKitConversionListItem::Completed ? 1.0 : item->progress();
    double fraction = sum / double(all.size());
    notify(0, &fraction);
}

void TQKitConversionListCreate(TQKitConversionList** out)
{
    if (out)
        *out = new TQKitConversionList;
}

void TQKitConversionListRetain(TQKitConversionList* list)
{
    if (list)
        list->retain();
}

void TQKitConversionListRelease(TQKitConversionList* list)
{
    if (list)
        list->release();
}

void TQKitConversionListSetDestination(TQKitConversionList* list, const void* accessData, size_t length)
{
    if (list) {
        const auto* bytes = static_cast<const uint8_t*>(accessData);
        list->setDestinationAccess(bytes ? std::vector<uint8_t>(bytes, bytes + length) : std::vector<uint8_t>());
    }
}

void TQKitConversionListSetBatchSettings(TQKitConversionList* list, const BatchSettings& settings)
{
    if (list)
        list->setSettings(settings);
}

BatchSettings TQKitConversionListGetBatchSettings(const TQKitConversionList* list)
{
    return list ? list->settings() : BatchSettings{};
}

void TQKitConversionListSetTaskInfo(TQKitConversionList* list, const TQTaskInfoRecord* record)
{
    if (list && record)
        list->setTaskInfo(*record);
}

void TQKitConversionListGetTaskInfo(const TQKitConversionList* list, TQTaskInfoRecord* record)
{
    if (list && record)
        *record = list->taskInfo();
}

void TQKitConversionListSetCallback(TQKitConversionList* list, TQKitListCallback callback, void* context)
{
    if (list)
        list->setCallback(callback, context);
}

// Nothing to prepare: local paths are read as they are, and addresses are fetched per item.
void TQKitConversionListPrepareSources(TQKitConversionList*, const std::vector<std::string>&) {}

bool TQKitConversionListHasLocalSources(TQKitConversionList*, const std::vector<std::string>& sources)
{
    return std::any_of(sources.begin(), sources.end(), [](const auto& s) { return !SourceScanner::isRemote(s); });
}

bool TQKitConversionListHasNetworkSources(TQKitConversionList*, const std::vector<std::string>& sources)
{
    return std::any_of(sources.begin(), sources.end(), [](const auto& s) { return SourceScanner::isRemote(s); });
}

bool TQKitConversionListSourcesAccessible(TQKitConversionList* list, const std::vector<std::string>& sources)
{
    std::string folder;
    return !TQKitConversionListFolderNeedingAccess(list, sources, folder);
}

// The folder of the first local source that exists but cannot be read.
bool TQKitConversionListFolderNeedingAccess(TQKitConversionList*, const std::vector<std::string>& sources,
                                            std::string& folder)
{
    std::error_code ec;
    for (const auto& s : sources) {
        if (SourceScanner::isRemote(s) || !fs::exists(s, ec) || ::access(s.c_str(), R_OK) == 0)
            continue;
        folder = fs::is_directory(s, ec) ? s : fs::path(s).parent_path().string();
        return true;
    }
    return false;
}

double TQKitConversionListScanValue(TQKitConversionList*)
{
    return 0;
}

void TQKitConversionListAddSources(TQKitConversionList* list, const std::vector<std::string>& sources, uint32_t,
                                   double)
{
    if (list)
        list->addSources(sources);
}

bool TQKitConversionListOutputDirectory(TQKitConversionList* list, std::string& folder)
{
    if (!list)
        return false;
    const BatchSettings settings = list->settings();
    if (!settings.asSourceFolder) {
        folder = settings.destinationFolder;
        return !folder.empty();
    }
    for (auto* item : list->items())
        if (!(item->flags() & TQKitConversionListItem::kRemote)) {
            folder = fs::path(item->sourcePath()).parent_path().string();
            return true;
        }
    return false;
}

bool TQKitConversionListDestinationNeedsAccess(TQKitConversionList*)
{
    return false;
}

// The folders results will be written to (kind 2), each once.
bool TQKitConversionListCollectFolders(TQKitConversionList* list, int, std::vector<std::string>& folders)
{
    folders.clear();
    if (!list)
        return false;
    const BatchSettings settings = list->settings();
    std::set<std::string> seen;
    for (auto* item : list->items()) {
        const bool beside = settings.asSourceFolder && !(item->flags() & TQKitConversionListItem::kRemote);
        const std::string folder = beside ? fs::path(item->sourcePath()).parent_path().string() : settings.destinationFolder;
        if (!folder.empty() && seen.insert(folder).second)
            folders.push_back(folder);
    }
    return !folders.empty();
}

uint32_t TQKitConversionListFlags(const TQKitConversionList* list, int)
{
    return list ? list->flags() : 0;
}

size_t TQKitConversionListItemCount(const TQKitConversionList* list)
{
    return list ? list->itemCount() : 0;
}

size_t TQKitConversionListAcceptedCount(const TQKitConversionList* list)
{
    return list ? list->acceptedCount() : 0;
}

size_t TQKitConversionListSucceededCount(const TQKitConversionList* list)
{
    return list ? list->succeededCount() : 0;
}

size_t TQKitConversionListPendingCount(const TQKitConversionList* list)
{
    return list ? list->pendingCount() : 0;
}

// Files the pending items write beyond one each. Every track of a CUE sheet and every entry of a
// source playlist is an item of its own, counted by the pending count already, so none.
size_t TQKitConversionListExtraCount(const TQKitConversionList*)
{
    return 0;
}

uint64_t TQKitConversionListTotalBytes(const TQKitConversionList* list)
{
    return list ? list->totalBytes() : 0;
}

uint64_t TQKitConversionListDoneBytes(const TQKitConversionList* list)
{
    return list ? list->doneBytes() : 0;
}

double TQKitConversionListSecondsRemaining(const TQKitConversionList* list)
{
    return list ? list->secondsRemaining() : -1;
}

bool TQKitArtworkDownloadUseful(const TQKitConversionList* list)
{
    if (!list)
        return false;
    // Each look opens a file: the first few items speak for the batch.
    constexpr size_t kSampledItems = 16;
    size_t sampled = 0;
    for (const TQKitConversionListItem* item : list->items()) {
        if (item->kind() != TQKitConversionListItem::Kind::Convert || (item->flags() & TQKitConversionListItem::kRemote) ||
            !item->origin().problem.empty())
            continue;
        if (sonvale::engine::TagReader::read(item->sourcePath()).artwork.empty())
            return true;
        if (++sampled == kSampledItems)
            break;
    }
    return false;
}

void TQKitConversionListGetItems(const TQKitConversionList* list, std::vector<TQKitConversionListItem*>& items)
{
    items = list ? list->items() : std::vector<TQKitConversionListItem*>{};
}

void TQKitConversionListEnumerateItems(const TQKitConversionList* list, TQKitItemEnumerator callback, void* context,
                                       int)
{
    if (!list || !callback)
        return;
    for (auto* item : list->items())
        if (!callback(item->sourcePath().c_str(), item->flags(), item->resultCode(), context))
            return;
}

bool TQKitConversionListHasResults(const TQKitConversionList* list)
{
    return list && list->hasResults();
}

void TQKitConversionListEnumerateResults(const TQKitConversionList* list, TQKitResultCallback callback,
                                         void* context, void* data)
{
    if (!list || !callback)
        return;
    for (auto* item : list->items())
        for (const auto& entry : item->results())
            if (!callback(context, entry.path.c_str(), data))
                return;
}

int32_t TQKitConversionListState(const TQKitConversionList* list)
{
    return list ? list->state() : 0;
}

bool TQKitConversionListIsStopped(const TQKitConversionList* list)
{
    return !list || list->isStopped();
}

void TQKitConversionListStop(TQKitConversionList* list)
{
    if (list)
        list->stop();
}

void TQKitConversionListDetach(TQKitConversionList* list)
{
    if (list)
        list->detach();
}
