#include "app/progress-window/TQCAppProgressWindowTableDataRecord.h"

#include "app/progress-window/TQCAppProgressWindowTexts.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/engine/TQKitConverter.h"
#include "platform/tqkit-ui/TQKitMainThread.h"
#include "platform/tqkit/TQKitMutex.h"

#include <mutex>

namespace {

// Guards the subscriber counts of every record: written on the main thread, read by engine threads.
TQKitMutex subscriberMutex;

// Engine threads call this with the record as context; the record outlives the registration.
void TQProgressRecordItemCallback(uint32_t type, uintptr_t, void* context)
{
    static_cast<TQCAppProgressWindowTableDataRecord*>(context)->performNotificationWithType(static_cast<int>(type));
}

int threeWay(auto a, auto b) { return a < b ? -1 : (a > b ? 1 : 0); }

} // namespace

std::unique_ptr<TQCAppProgressWindowTableDataRecord> TQCAppProgressWindowTableDataRecord::create(
    TQKitConversionList* list, TQKitConversionListItem* item)
{
    if (list == nullptr || item == nullptr)
        return nullptr;
    return std::unique_ptr<TQCAppProgressWindowTableDataRecord>(new TQCAppProgressWindowTableDataRecord(list, item));
}

TQCAppProgressWindowTableDataRecord::TQCAppProgressWindowTableDataRecord(TQKitConversionList* list,
                                                                         TQKitConversionListItem* item)
{
    TQKitConversionListRetain(list);
    listItemHandle_ = item;
    listHandle_ = list;
    listItemId_ = TQKitConversionListItemId(item);
    std::string path;
    filePath_ = TQCAppTextFromKit(TQKitConversionListItemPath(item, path));
    isRemote_ = TQKitConversionListItemHasFlag(list, item, TQKitConversionListItem::kRemote);
    std::string scratch;
    fileName_ = TQCAppTextFromKit(TQKitConversionListItemName(item, scratch));
    TQKitConversionListItemSetCallback(list, item, TQProgressRecordItemCallback, this);
}

TQCAppProgressWindowTableDataRecord::~TQCAppProgressWindowTableDataRecord() { cleanup(); }

void TQCAppProgressWindowTableDataRecord::cleanup()
{
    if (listHandle_ && listItemHandle_) {
        TQKitConversionListItemSetCallback(listHandle_, listItemHandle_, nullptr, nullptr);
        TQKitConversionListRelease(listHandle_);
    }
    listHandle_ = nullptr;
    listItemHandle_ = nullptr;
}

void TQCAppProgressWindowTableDataRecord::subscribe(TQCAppProgressWindowTableDataRecordSubscriber* subscriber)
{
    changeSubscription(subscriber, true);
}

void TQCAppProgressWindowTableDataRecord::unsubscribe(TQCAppProgressWindowTableDataRecordSubscriber* subscriber)
{
    changeSubscription(subscriber, false);
}

void TQCAppProgressWindowTableDataRecord::changeSubscription(TQCAppProgressWindowTableDataRecordSubscriber* subscriber,
                                                             bool subscribed)
{
    auto* object = dynamic_cast<QObject*>(subscriber);
    if (!object)
        return;
    if (!TQKitIsMainThread()) {
        QPointer<QObject> weak(object);
        TQKitPerformOnMainThread(this, [this, weak, subscribed] {
            if (weak)
                changeSubscription(dynamic_cast<TQCAppProgressWindowTableDataRecordSubscriber*>(weak.data()), subscribed);
        });
        return;
    }
    std::lock_guard lock(subscriberMutex);
    delegates_.removeAll(nullptr);
    if (!subscribed)
        delegates_.removeAll(object);
    else if (!delegates_.contains(object))
        delegates_.append(object);
    delegatesCount_ = static_cast<uint64_t>(delegates_.size());
}

int TQCAppProgressWindowTableDataRecord::subscriberCount() const
{
    std::lock_guard lock(subscriberMutex);
    return static_cast<int>(delegatesCount_);
}

void TQCAppProgressWindowTableDataRecord::performNotificationWithType(int type)
{
    if (subscriberCount() == 0)
        return;
    if (!TQKitIsMainThread()) {
        // Progress is read live by the subscribers: one queued progress notification is enough.
        if (type == kCallbackProgress && progressNotificationQueued_.exchange(true))
            return;
        TQKitPerformOnMainThread(this, [this, type] {
            if (type == kCallbackProgress)
                progressNotificationQueued_ = false;
            notifySubscribers(type);
        });
        return;
    }
    notifySubscribers(type);
}

void TQCAppProgressWindowTableDataRecord::notifySubscribers(int type)
{
    // A subscriber may unsubscribe while it is told; walk a copy.
    const QList<QPointer<QObject>> subscribers = delegates_;
    for (const QPointer<QObject>& object : subscribers) {
        if (auto* subscriber = dynamic_cast<TQCAppProgressWindowTableDataRecordSubscriber*>(object.data()))
            subscriber->tableDataRecordCallbackType(this, type);
    }
}

int TQCAppProgressWindowTableDataRecord::status() const
{
    return listHandle_ && listItemHandle_ ? TQKitConversionListItemStatus(listHandle_, listItemHandle_) : 0;
}

uint64_t TQCAppProgressWindowTableDataRecord::statusSort() const
{
    switch (status()) {
    case kStatusCompleted:
        return 2;
    case kStatusNotStarted:
        return 3;
    default:
        return 0;
    }
}

double TQCAppProgressWindowTableDataRecord::progress() const
{
    return listHandle_ && listItemHandle_ ? TQKitConversionListItemProgress(listHandle_, listItemHandle_) : 0.0;
}

uint32_t TQCAppProgressWindowTableDataRecord::completionStatusFlags() const
{
    return listHandle_ && listItemHandle_ ? TQKitConversionListItemCompletion(listHandle_, listItemHandle_, nullptr)
                                          : 0;
}

QString TQCAppProgressWindowTableDataRecord::completionStatusName() const
{
    if (!listHandle_ || !listItemHandle_)
        return {};
    std::string name;
    if (TQKitConversionListItemCompletion(listHandle_, listItemHandle_, &name) == 0)
        return {};
    return TQCAppTextFromKit(name.c_str());
}

std::optional<QStringList> TQCAppProgressWindowTableDataRecord::resFilePaths() const
{
    if (!listHandle_ || !listItemHandle_)
        return std::nullopt;
    std::vector<TQKitResultEntry> entries;
    if (TQKitConversionListItemResults(listHandle_, listItemHandle_, entries, 4) == 0 || entries.empty())
        return std::nullopt;
    QStringList paths;
    for (const TQKitResultEntry& entry : entries) {
        const QString path = TQCAppTextFromKit(entry.path.c_str());
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

int TQCAppProgressWindowTableDataRecord::compareByListItemId(const TQCAppProgressWindowTableDataRecord& other) const
{
    return threeWay(listItemId_, other.listItemId_);
}

int TQCAppProgressWindowTableDataRecord::compareByStatus(const TQCAppProgressWindowTableDataRecord& other) const
{
    if (const int bySort = threeWay(statusSort(), other.statusSort()))
        return bySort;
    if (const int byName = completionStatusName().compare(other.completionStatusName(), Qt::CaseInsensitive))
        return byName < 0 ? -1 : 1;
    return compareByListItemId(other);
}
