#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/engine/CallbackGate.h"
#include "platform/engine/ItemOrigin.h"
#include "platform/engine/lists/ResultPlaylistEntry.h"

class TQKitConversionList;

// Item callback: (type, unused value, context). Type 0: the progress changed; type 1: the status
// changed. Called on engine threads.
using TQKitItemCallback = void (*)(uint32_t type, uintptr_t value, void* context);

// One result entry of an item: the result file's path first; the other texts name the source, the
// kind of result and its completion; the value is the result's size in bytes.
struct TQKitResultEntry {
    std::string path;
    std::string sourcePath;
    std::string kind;
    std::string completion;
    int64_t size = 0;
};

// One source of a conversion list. Identity fields are fixed at creation; the live fields change
// on the converter's threads and are read from any thread. Owned by its list.
class TQKitConversionListItem final {
public:
    enum Status : int {
        NotStarted = 0, Opening = 1, AdjustingVolume = 2, Trimming = 3, Converting = 4, Copying = 5,
        SettingTags = 6, LoadingTags = 7, MovingResult = 8, Completed = 9, Organizing = 10,
    };
    // Item flags.
    static constexpr uint32_t kFromFolder = 0x100;
    static constexpr uint32_t kRemote = 0x1000;
    // Bit 17 of the flags word the sources were added with, kept on remote items: an address that
    // names a web page fails instead of having its media looked for.
    static constexpr uint32_t kNoWebPages = 0x20000;
    // Completion flags.
    static constexpr uint32_t kCanShowResult = 0x02;
    static constexpr uint32_t kNeutral = 0x10;
    static constexpr uint32_t kSucceeded = 0x40;
    static constexpr uint32_t kFailed = 0x80;
    // Result codes of the statistics enumeration.
    enum ResultCode : int { Converted = 0, Copied = 1, Skipped = 2, Stopped = 3, Failed = 4, Pending = 5 };
    // What the converter does with the item.
    enum class Kind { Convert, Copy };

    TQKitConversionListItem(uint32_t id, std::string sourcePath, std::string sourceRoot, uint32_t flags, Kind kind,
                            sonvale::engine::ItemOrigin origin = {});
    TQKitConversionListItem(const TQKitConversionListItem&) = delete;
    TQKitConversionListItem& operator=(const TQKitConversionListItem&) = delete;

    uint32_t id() const { return id_; }
    const std::string& sourcePath() const { return sourcePath_; }
    // The folder the user gave when the item came from one (for replicating folders), else empty.
    const std::string& sourceRoot() const { return sourceRoot_; }
    const std::string& name() const { return name_; }
    uint32_t flags() const { return flags_; }
    Kind kind() const { return kind_; }
    const sonvale::engine::ItemOrigin& origin() const { return origin_; }

    int status() const { return status_.load(); }
    double progress() const { return progress_.load(); }
    void setStatus(int status);
    void setProgress(double fraction);

    // Ends the item once: status 9 with its completion name, flags, result code and result file.
    void complete(std::string completionName, uint32_t completionFlags, ResultCode code, std::string resultPath = {});
    uint32_t completionFlags() const;
    std::string completionName() const;
    ResultCode resultCode() const;
    std::vector<TQKitResultEntry> results() const;
    std::set<std::string> relatedPaths() const;
    // The local file the item converts from (a downloaded copy for a remote source).
    std::string localSourcePath() const;
    void setLocalSourcePath(std::string path);
    // The size of that file, read once when it became known (0 for an address not yet fetched).
    uint64_t sourceBytes() const { return sourceBytes_.load(); }
    void setSourceBytes(uint64_t bytes) { sourceBytes_.store(bytes); }
    // How the item's result appears in the batch's result playlist; set with its success.
    sonvale::lists::ResultPlaylistEntry playlistEntry() const;
    void setPlaylistEntry(sonvale::lists::ResultPlaylistEntry entry);

    void setCallback(TQKitItemCallback callback, void* context);

private:
    void notify(uint32_t type);

    const uint32_t id_;
    const std::string sourcePath_;
    const std::string sourceRoot_;
    const std::string name_;
    const uint32_t flags_;
    const Kind kind_;
    const sonvale::engine::ItemOrigin origin_;
    std::atomic<int> status_{NotStarted};
    std::atomic<double> progress_{0};
    std::atomic<uint64_t> sourceBytes_{0};
    mutable std::mutex mutex_;
    uint32_t completionFlags_ = 0;
    std::string completionName_;
    ResultCode resultCode_ = Pending;
    std::vector<TQKitResultEntry> results_;
    std::set<std::string> relatedPaths_;
    std::string localSourcePath_;
    sonvale::lists::ResultPlaylistEntry playlistEntry_;
    sonvale::engine::CallbackGate callback_;
};

// The application's calls on items. Null handles give the empty answers.
uint32_t TQKitConversionListItemId(const TQKitConversionListItem* item);
// The item's source path into `out`; returns out.c_str().
const char* TQKitConversionListItemPath(const TQKitConversionListItem* item, std::string& out);
// The item's display name into `scratch`; returns scratch.c_str().
const char* TQKitConversionListItemName(const TQKitConversionListItem* item, std::string& scratch);
bool TQKitConversionListItemHasFlag(const TQKitConversionList* list, const TQKitConversionListItem* item, uint32_t mask);
int TQKitConversionListItemStatus(const TQKitConversionList* list, const TQKitConversionListItem* item);
double TQKitConversionListItemProgress(const TQKitConversionList* list, const TQKitConversionListItem* item);
// The completion flags; fills `name` (when given) with the completion name. 0 until completed.
uint32_t TQKitConversionListItemCompletion(const TQKitConversionList* list, const TQKitConversionListItem* item,
                                           std::string* name);
// The result entries of `kind` (4: result files); returns how many.
size_t TQKitConversionListItemResults(const TQKitConversionList* list, const TQKitConversionListItem* item,
                                      std::vector<TQKitResultEntry>& entries, int kind);
// Paths that belong to the item besides its source (its downloaded copy, its result), sorted.
std::set<std::string> TQKitConversionListItemRelatedPaths(const TQKitConversionList* list,
                                                          const TQKitConversionListItem* item);
void TQKitConversionListItemSetCallback(TQKitConversionList* list, TQKitConversionListItem* item,
                                        TQKitItemCallback callback, void* context);
