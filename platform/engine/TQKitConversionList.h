#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/engine/BatchSettings.h"
#include "platform/engine/CallbackGate.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/tqkit/TQTaskInfoRecord.h"

// List callback: (type, data, context) -> answer. Types and their data:
//  0 double* list progress       1 const char* file name: accept it? (non-zero = yes; synchronous)
//  2 int32_t* list state          3 int32_t* list state          4 none: render the top line
//  6 double* progress value       7, 8 none: indeterminate on/off
//  9, 10 const char* status text  11 double* bytes downloaded   12 none: calculating size
//  13 const char* server          14 none: waiting              15 TQKitTitleRecord*
//  16, 17 TQKitTagList*: tags of one file before they are written (synchronous)
using TQKitListCallback = int (*)(uint32_t type, void* data, void* context);
// A tag list of one file: (name, value) pairs in order.
using TQKitTagList = std::vector<std::pair<std::string, std::string>>;
// (context, result path, data) -> true to go on.
using TQKitResultCallback = bool (*)(void* context, const char* path, void* data);
// (item's source path, item flags, result code, context) -> true to go on.
using TQKitItemEnumerator = bool (*)(const char* path, uint32_t flags, int resultCode, void* context);

struct TQKitTitleRecord {
    std::string path;
    std::string title;
    std::string secondTitle;
    uint8_t flag = 0;
};

class TQKitConverter;

// One batch: its sources as items, its settings, its callback and its state. Reference counted:
// the creator holds one reference, every holder takes its own (the converter while it runs the
// list). Thread-safe: the application's threads and the converter's workers use it at once.
class TQKitConversionList final {
public:
    enum State : int32_t { NotStarted = 0, Waiting = 1, Converting = 2, Stopping = 3, Finished = 4 };
    // List flags.
    static constexpr uint32_t kSingleFile = 0x1;
    static constexpr uint32_t kHasFolder = 0x100;
    static constexpr uint32_t kHasRemote = 0x200;
    static constexpr uint32_t kResultsBesideSources = 0x800;

    TQKitConversionList() = default;
    TQKitConversionList(const TQKitConversionList&) = delete;
    TQKitConversionList& operator=(const TQKitConversionList&) = delete;

    void retain();
    void release(); // deletes the list with the last reference

    // The batch record: a copy is kept, and the engine's settings are read from it.
    void setTaskInfo(const TQTaskInfoRecord& record);
    TQTaskInfoRecord taskInfo() const;
    void setSettings(const sonvale::engine::BatchSettings& settings);
    sonvale::engine::BatchSettings settings() const;
    void setDestinationAccess(std::vector<uint8_t> data);

    void setCallback(TQKitListCallback callback, void* context);
    // Calls the list callback on this thread; -1 when none is registered.
    int notify(uint32_t type, void* data = nullptr);

    // Adds the items of these sources; a source (or a file inside a folder) already in the list is
    // not added again. Asks callback type 1 for every file to convert.
    void addSources(const std::vector<std::string>& sources);

    std::vector<TQKitConversionListItem*> items() const;
    size_t itemCount() const;
    size_t acceptedCount() const;
    size_t succeededCount() const;
    size_t pendingCount() const;
    bool hasResults() const;
    uint32_t flags() const;
    uint64_t totalBytes() const;
    uint64_t doneBytes() const;
    double secondsRemaining() const;

    State state() const { return state_.load(); }
    bool isStopped() const { return stopFlag_.load(); }
    // Stops the batch: running items end at once and leave no partial files; the state goes to 3
    // and then, once no item runs any more, to 4.
    void stop();
    // The application lets go: stops the list and removes its callback (waiting for calls already
    // running on other threads).
    void detach();

    // The converter's side. The settings are read once, as they stand when the conversion starts;
    // false when there is nothing to run (a list starts once; an empty or stopped one finishes).
    bool beginConversion();
    const sonvale::engine::BatchSettings& runningSettings() const { return running_; }
    const std::atomic<bool>& stopFlag() const { return stopFlag_; }
    // The next item to convert (marked as running), or null when none is left or the list stopped.
    // Calls no callback, so the converter may hold its own lock.
    TQKitConversionListItem* takeNextItem(bool& first);
    // Reports an item taken by takeNextItem (the converting state after the first one).
    void announceItemStarted(bool first);
    // Items not taken yet.
    size_t untakenCount() const;
    void itemFinished(TQKitConversionListItem* item);
    // The item now converts from this local file (a downloaded copy): its size joins the total.
    void setLocalSource(TQKitConversionListItem& item, std::string path);
    bool hasWorkLeft() const;
    void reportProgress();
    // Results of this batch: while the returned lock is held, no other item of the batch places a
    // result; a name the batch already wrote is never overwritten by another of its items.
    std::unique_lock<std::mutex> lockResultPlacement();
    bool wroteResult(const std::string& path) const;
    void addWrittenResult(const std::string& path);
    // What the end of the batch could not do (write a playlist, move a source to the Bin).
    std::vector<std::string> finishingProblems() const;

private:
    ~TQKitConversionList() = default;
    // Records the sources not seen before and the kinds of source they are; returns them.
    std::vector<std::string> claimNewSources(const std::vector<std::string>& sources, bool asSourceFolder);
    bool hasItemFor(const std::string& path) const;
    void finishOnce();
    std::string defaultPlaylistName() const;
    void announceTitle();
    void setState(State state);

    std::atomic<int> references_{1};
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<TQKitConversionListItem>> items_;
    std::set<std::string> knownSources_;
    std::mutex placementMutex_;
    std::set<std::string> writtenResults_; // guarded by placementMutex_
    uint32_t nextItemId_ = 1;
    uint32_t sourceFlags_ = 0;
    TQTaskInfoRecord record_;
    sonvale::engine::BatchSettings settings_;
    sonvale::engine::BatchSettings running_;
    std::vector<uint8_t> destinationAccess_;
    bool started_ = false;
    size_t nextToRun_ = 0;
    std::vector<TQKitConversionListItem*> itemsInProgress_;
    // Byte sums kept as items come, learn their size and finish, so that the window's progress
    // line never reads the file system.
    uint64_t totalBytes_ = 0;
    uint64_t finishedBytes_ = 0;
    std::chrono::steady_clock::time_point startedAt_;
    sonvale::engine::CallbackGate callback_;
    std::atomic<State> state_{NotStarted};
    std::atomic<bool> stopFlag_{false};
    std::atomic<bool> finished_{false};
    std::vector<std::string> finishingProblems_; // guarded by mutex_
};

void TQKitConversionListCreate(TQKitConversionList** out);
void TQKitConversionListRetain(TQKitConversionList* list);
void TQKitConversionListRelease(TQKitConversionList* list);
void TQKitConversionListSetDestination(TQKitConversionList* list, const void* accessData, size_t length);
// The engine's batch settings; the record calls map onto these.
void TQKitConversionListSetBatchSettings(TQKitConversionList* list, const sonvale::engine::BatchSettings& settings);
sonvale::engine::BatchSettings TQKitConversionListGetBatchSettings(const TQKitConversionList* list);
// Stores a copy of the record; fills the caller's record with the list's copy.
void TQKitConversionListSetTaskInfo(TQKitConversionList* list, const TQTaskInfoRecord* record);
void TQKitConversionListGetTaskInfo(const TQKitConversionList* list, TQTaskInfoRecord* record);
void TQKitConversionListSetCallback(TQKitConversionList* list, TQKitListCallback callback, void* context);

void TQKitConversionListPrepareSources(TQKitConversionList* list, const std::vector<std::string>& sources);
bool TQKitConversionListHasLocalSources(TQKitConversionList* list, const std::vector<std::string>& sources);
bool TQKitConversionListHasNetworkSources(TQKitConversionList* list, const std::vector<std::string>& sources);
bool TQKitConversionListSourcesAccessible(TQKitConversionList* list, const std::vector<std::string>& sources);
bool TQKitConversionListFolderNeedingAccess(TQKitConversionList* list, const std::vector<std::string>& sources,
                                            std::string& folder);
double TQKitConversionListScanValue(TQKitConversionList* list);
void TQKitConversionListAddSources(TQKitConversionList* list, const std::vector<std::string>& sources,
                                   uint32_t flagsWord, double scanValue);
bool TQKitConversionListOutputDirectory(TQKitConversionList* list, std::string& folder);
bool TQKitConversionListDestinationNeedsAccess(TQKitConversionList* list);
bool TQKitConversionListCollectFolders(TQKitConversionList* list, int kind, std::vector<std::string>& folders);
uint32_t TQKitConversionListFlags(const TQKitConversionList* list, int which);

size_t TQKitConversionListItemCount(const TQKitConversionList* list);
size_t TQKitConversionListAcceptedCount(const TQKitConversionList* list);
size_t TQKitConversionListSucceededCount(const TQKitConversionList* list);
size_t TQKitConversionListPendingCount(const TQKitConversionList* list);
size_t TQKitConversionListExtraCount(const TQKitConversionList* list);
uint64_t TQKitConversionListTotalBytes(const TQKitConversionList* list);
uint64_t TQKitConversionListDoneBytes(const TQKitConversionList* list);
double TQKitConversionListSecondsRemaining(const TQKitConversionList* list);
void TQKitConversionListGetItems(const TQKitConversionList* list, std::vector<TQKitConversionListItem*>& items);
void TQKitConversionListEnumerateItems(const TQKitConversionList* list, TQKitItemEnumerator callback, void* context,
                                       int reserved);
bool TQKitConversionListHasResults(const TQKitConversionList* list);
// Whether looking artwork and tags up on the network would add something: some local file of the
// batch that is to be converted carries no front cover (a sample of the first items is read).
bool TQKitArtworkDownloadUseful(const TQKitConversionList* list);
void TQKitConversionListEnumerateResults(const TQKitConversionList* list, TQKitResultCallback callback,
                                         void* context, void* data);

int32_t TQKitConversionListState(const TQKitConversionList* list);
bool TQKitConversionListIsStopped(const TQKitConversionList* list);
void TQKitConversionListStop(TQKitConversionList* list);
void TQKitConversionListDetach(TQKitConversionList* list);
