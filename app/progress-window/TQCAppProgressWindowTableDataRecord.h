#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

class TQKitConversionList;
class TQKitConversionListItem;
class TQCAppProgressWindowTableDataRecord;

// What a row's subscribers (its cells) are told on the main thread: callback type 0, the item's
// progress changed; 1, its status changed; other types are passed on unchanged.
class TQCAppProgressWindowTableDataRecordSubscriber {
public:
    virtual ~TQCAppProgressWindowTableDataRecordSubscriber() = default;
    virtual void tableDataRecordCallbackType(TQCAppProgressWindowTableDataRecord* record, int type) = 0;
};

// One row of a progress table, bound to one item of the window's conversion list. It keeps no
// copy of the live values: status, progress, completion and results are read from the engine at
// each call, on the calling thread. The engine reports changes of the item on its own threads;
// the record hands them to the main thread and tells its subscribers there, in order.
//
// Lifetime: owned by the table's data array. cleanup() removes the item callback (the engine waits
// for calls already running) and drops the list reference, so no engine thread reaches the record
// afterwards; notifications already queued die with the record.
class TQCAppProgressWindowTableDataRecord final : public QObject {
    Q_OBJECT

public:
    // Callback types.
    static constexpr int kCallbackProgress = 0;
    static constexpr int kCallbackStatus = 1;
    // Item statuses (status()).
    static constexpr int kStatusNotStarted = 0;
    static constexpr int kStatusCompleted = 9;
    // Completion flags (completionStatusFlags()).
    static constexpr uint32_t kCompletionCanShowResult = 0x02;
    static constexpr uint32_t kCompletionNeutral = 0x10;
    static constexpr uint32_t kCompletionSucceeded = 0x40;
    static constexpr uint32_t kCompletionFailed = 0x80;

    // A record over `item` of `list`, or null when either is null. Takes a list reference and
    // registers the item callback.
    static std::unique_ptr<TQCAppProgressWindowTableDataRecord> create(TQKitConversionList* list,
                                                                       TQKitConversionListItem* item);
    ~TQCAppProgressWindowTableDataRecord() override;

    // Unbinds from the item and the list; safe to call again.
    void cleanup();

    // Subscribers are kept weakly (a destroyed one drops out); adding one twice keeps one entry.
    // Off the main thread the call is queued to it.
    void subscribe(TQCAppProgressWindowTableDataRecordSubscriber* subscriber);
    void unsubscribe(TQCAppProgressWindowTableDataRecordSubscriber* subscriber);
    int subscriberCount() const;
    // Tells every subscriber on the main thread (queued from other threads). Nothing happens, and
    // nothing is queued, while there is no subscriber.
    void performNotificationWithType(int type);

    // Live reads; without handles 0, 0.0, the empty string or no results.
    int status() const;
    // 0 in work, 2 completed, 3 not started: the order of a sort by status.
    uint64_t statusSort() const;
    double progress() const;
    uint32_t completionStatusFlags() const;
    QString completionStatusName() const;
    // The result files; nullopt when the item has produced none, an empty list when every entry
    // had an empty path.
    std::optional<QStringList> resFilePaths() const;

    // Order by item identifier; by status, then completion name (case-insensitive), then identifier.
    int compareByListItemId(const TQCAppProgressWindowTableDataRecord& other) const;
    int compareByStatus(const TQCAppProgressWindowTableDataRecord& other) const;

    TQKitConversionList* listHandle() const { return listHandle_; }
    TQKitConversionListItem* listItemHandle() const { return listItemHandle_; }
    const QString& filePath() const { return filePath_; }
    const QString& fileName() const { return fileName_; }
    bool isRemote() const { return isRemote_; }
    uint32_t listItemId() const { return listItemId_; }

private:
    TQCAppProgressWindowTableDataRecord(TQKitConversionList* list, TQKitConversionListItem* item);
    void changeSubscription(TQCAppProgressWindowTableDataRecordSubscriber* subscriber, bool subscribed);
    void notifySubscribers(int type);

    QList<QPointer<QObject>> delegates_; // main thread only
    uint64_t delegatesCount_ = 0;        // read under the file's mutex from any thread
    std::atomic<bool> progressNotificationQueued_{false};
    bool isRemote_ = false;
    uint32_t listItemId_ = 0;
    TQKitConversionList* listHandle_ = nullptr;
    TQKitConversionListItem* listItemHandle_ = nullptr;
    QString filePath_;
    QString fileName_;
};
