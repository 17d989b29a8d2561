#include "platform/engine/TQKitConversionListItem.h"

#include <filesystem>

namespace {

std::string displayName(const std::string& sourcePath, uint32_t flags)
{
    if (flags & TQKitConversionListItem::kRemote) {
        const auto slash = sourcePath.find_last_of('/');
        const std::string last = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
        return last.empty() ? sourcePath : last;
    }
    return std::filesystem::path(sourcePath).filename().string();
}

} // namespace

TQKitConversionListItem::TQKitConversionListItem(uint32_t id, std::string sourcePath, std::string sourceRoot,
                                                 uint32_t flags, Kind kind, sonvale::engine::ItemOrigin origin)
    : id_(id), sourcePath_(std::move(sourcePath)), sourceRoot_(std::move(sourceRoot)),
      name_(origin.fileName.empty() ? displayName(sourcePath_, flags) : origin.fileName), flags_(flags), kind_(kind),
      origin_(std::move(origin)), localSourcePath_(sourcePath_)
{
}

void TQKitConversionListItem::setStatus(int status)
{
    if (status_.exchange(status) != status)
        notify(1);
}

void TQKitConversionListItem::setProgress(double fraction)
{
    progress_.store(fraction);
    notify(0);
}

void TQKitConversionListItem::complete(std::string completionName, uint32_t completionFlags, ResultCode code,
                                       std::string resultPath)
{
    {
        std::lock_guard lock(mutex_);
        if (resultCode_ != Pending)
            return;
        completionName_ = std::move(completionName);
        completionFlags_ = completionFlags;
        resultCode_ = code;
        if (!resultPath.empty()) {
            std::error_code ec;
            const auto size = std::filesystem::file_size(resultPath, ec);
            results_.push_back({resultPath, sourcePath_, "file", completionName_, ec ? 0 : int64_t(size)});
            relatedPaths_.insert(resultPath);
        }
    }
    progress_.store(code == Converted || code == Copied ? 1.0 : progress_.load());
    setStatus(Completed);
}

uint32_t TQKitConversionListItem::completionFlags() const
{
    std::lock_guard lock(mutex_);
    return completionFlags_;
}

std::string TQKitConversionListItem::completionName() const
{
    std::lock_guard lock(mutex_);
    return completionName_;
}

TQKitConversionListItem::ResultCode TQKitConversionListItem::resultCode() const
{
    std::lock_guard lock(mutex_);
    return resultCode_;
}

std::vector<TQKitResultEntry> TQKitConversionListItem::results() const
{
    std::lock_guard lock(mutex_);
    return results_;
}

std::set<std::string> TQKitConversionListItem::relatedPaths() const
{
    std::lock_guard lock(mutex_);
    return relatedPaths_;
}

std::string TQKitConversionListItem::localSourcePath() const
{
    std::lock_guard lock(mutex_);
    return localSourcePath_;
}

void TQKitConversionListItem::setLocalSourcePath(std::string path)
{
    std::lock_guard lock(mutex_);
    localSourcePath_ = std::move(path);
}

sonvale::lists::ResultPlaylistEntry TQKitConversionListItem::playlistEntry() const
{
    std::lock_guard lock(mutex_);
    return playlistEntry_;
}

void TQKitConversionListItem::setPlaylistEntry(sonvale::lists::ResultPlaylistEntry entry)
{
    std::lock_guard lock(mutex_);
    playlistEntry_ = std::move(entry);
}

void TQKitConversionListItem::setCallback(TQKitItemCallback callback, void* context)
{
    callback_.replace({reinterpret_cast<sonvale::engine::CallbackGate::AnyFunction>(callback), context});
}

void TQKitConversionListItem::notify(uint32_t type)
{
    sonvale::engine::CallbackGate::Call call(callback_);
    if (auto fn = reinterpret_cast<TQKitItemCallback>(call.target().function))
        fn(type, 0, call.target().context);
}

uint32_t TQKitConversionListItemId(const TQKitConversionListItem* item)
{
    return item ? item->id() : 0;
}

const char* TQKitConversionListItemPath(const TQKitConversionListItem* item, std::string& out)
{
    out = item ? item->sourcePath() : std::string();
    return out.c_str();
}

const char* TQKitConversionListItemName(const TQKitConversionListItem* item, std::string& scratch)
{
    scratch = item ? item->name() : std::string();
    return scratch.c_str();
}

bool TQKitConversionListItemHasFlag(const TQKitConversionList* list, const TQKitConversionListItem* item, uint32_t mask)
{
    return list && item && (item->flags() & mask);
}

int TQKitConversionListItemStatus(const TQKitConversionList* list, const TQKitConversionListItem* item)
{
    return list && item ? item->status() : 0;
}

double TQKitConversionListItemProgress(const TQKitConversionList* list, const TQKitConversionListItem* item)
{
    return list && item ? item->progress() : 0.0;
}

uint32_t TQKitConversionListItemCompletion(const TQKitConversionList* list, const TQKitConversionListItem* item,
                                           std::string* name)
{
    if (!list || !item || item->resultCode() == TQKitConversionListItem::Pending)
        return 0;
    if (name)
        *name = item->completionName();
    return item->completionFlags();
}

size_t TQKitConversionListItemResults(const TQKitConversionList* list, const TQKitConversionListItem* item,
                                      std::vector<TQKitResultEntry>& entries, int kind)
{
    entries.clear();
    if (list && item && kind == 4)
        entries = item->results();
    return entries.size();
}

std::set<std::string> TQKitConversionListItemRelatedPaths(const TQKitConversionList* list,
                                                          const TQKitConversionListItem* item)
{
    return list && item ? item->relatedPaths() : std::set<std::string>{};
}

void TQKitConversionListItemSetCallback(TQKitConversionList* list, TQKitConversionListItem* item,
                                        TQKitItemCallback callback, void* context)
{
    if (list && item)
        item->setCallback(callback, context);
}
