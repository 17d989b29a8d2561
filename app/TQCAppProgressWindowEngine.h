#pragma once

// The conversion-engine calls that the progress window makes, against opaque handles: the window
// never looks inside a converter, a list or an item. The declarations match the engine's own
// (platform/engine); the application links the engine, window tests may link a scripted stand-in
// of the same calls instead. Only the progress window's .cpp files include this header, never a
// header of their own, so no file sees both this and the engine's declarations.
//
// Threads: every call is safe from any thread. Registered callbacks run on engine threads; setting
// a callback (or null) waits until calls already running on other threads have returned.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

class TQKitConverter;
class TQKitConversionList;
class TQKitConversionListItem;
struct TQTaskInfoRecord;

// List callback: (type, data, context) -> answer. Types 0 to 17 (the progress window's callback
// says what each carries).
using TQKitListCallback = int (*)(uint32_t type, void* data, void* context);
// Item callback: type 0 progress changed, 1 status changed; the value is unused.
using TQKitItemCallback = void (*)(uint32_t type, uintptr_t value, void* context);
// Tags of one file, (name, value) pairs: data of list callback types 16 and 17.
using TQKitTagList = std::vector<std::pair<std::string, std::string>>;

// Data of list callback type 15.
struct TQKitTitleRecord {
    std::string path;
    std::string title;
    std::string secondTitle;
    uint8_t flag = 0;
};

// One result entry of an item; the progress window reads the path only.
struct TQKitResultEntry {
    std::string path;
    std::string sourcePath;
    std::string kind;
    std::string completion;
    int64_t size = 0;
};

// List states of TQKitConversionListState and list callback types 2 and 3.
inline constexpr int32_t kTQKitListStateWaiting = 1;
inline constexpr int32_t kTQKitListStateConverting = 2;
inline constexpr int32_t kTQKitListStateStopping = 3;
inline constexpr int32_t kTQKitListStateFinished = 4;
// Bit of TQKitConversionListFlags(list, 0): results are written beside their sources.
inline constexpr uint32_t kTQKitListFlagResultsBesideSources = 0x800;
// Item flag of a remote source (TQKitConversionListItemHasFlag).
inline constexpr uint32_t kTQKitItemFlagRemote = 0x1000;

void TQKitConversionListRetain(TQKitConversionList* list);
void TQKitConversionListRelease(TQKitConversionList* list);
void TQKitConversionListSetCallback(TQKitConversionList* list, TQKitListCallback callback, void* context);
void TQKitConversionListSetTaskInfo(TQKitConversionList* list, const TQTaskInfoRecord* record);
void TQKitConversionListGetTaskInfo(const TQKitConversionList* list, TQTaskInfoRecord* record);

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
bool TQKitConversionListHasResults(const TQKitConversionList* list);

int32_t TQKitConversionListState(const TQKitConversionList* list);
bool TQKitConversionListIsStopped(const TQKitConversionList* list);
void TQKitConversionListStop(TQKitConversionList* list);
void TQKitConversionListDetach(TQKitConversionList* list);

uint32_t TQKitConversionListItemId(const TQKitConversionListItem* item);
const char* TQKitConversionListItemPath(const TQKitConversionListItem* item, std::string& out);
const char* TQKitConversionListItemName(const TQKitConversionListItem* item, std::string& scratch);
bool TQKitConversionListItemHasFlag(const TQKitConversionList* list, const TQKitConversionListItem* item, uint32_t mask);
int TQKitConversionListItemStatus(const TQKitConversionList* list, const TQKitConversionListItem* item);
double TQKitConversionListItemProgress(const TQKitConversionList* list, const TQKitConversionListItem* item);
uint32_t TQKitConversionListItemCompletion(const TQKitConversionList* list, const TQKitConversionListItem* item,
                                           std::string* name);
size_t TQKitConversionListItemResults(const TQKitConversionList* list, const TQKitConversionListItem* item,
                                      std::vector<TQKitResultEntry>& entries, int kind);
std::set<std::string> TQKitConversionListItemRelatedPaths(const TQKitConversionList* list,
                                                          const TQKitConversionListItem* item);
void TQKitConversionListItemSetCallback(TQKitConversionList* list, TQKitConversionListItem* item,
                                        TQKitItemCallback callback, void* context);

bool TQKitConverterIsIdle(const TQKitConverter* converter);
void TQKitConverterReleaseList(TQKitConverter* converter, TQKitConversionList* list);
void TQKitConversionStart(TQKitConverter* converter, TQKitConversionList* list);
bool TQKitConversionCapacityCritical(const TQKitConversionList* list);
