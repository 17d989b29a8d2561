#pragma once

// The remembered destination folders of a folder picker, most recent first, with one selected.
// Stored whole as text settings in the section its owner names. Qt-free; used by one picker on the
// main thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One remembered folder, in the engine's layout: the path and the folder's access data, which
// resolves back to the folder's current path. On Linux the access data is the path itself.
struct TQKitFolderItem {
    static constexpr size_t kPathCapacity = 1024;      // bytes, the terminating NUL included
    static constexpr size_t kReferenceCapacity = 8192;

    uint32_t reserved1 = 0;
    int64_t reserved2 = 0;
    char path[kPathCapacity] = {};
    uint8_t reference[kReferenceCapacity] = {};
    uint64_t referenceLength = 0;
    uint32_t reserved3 = 0;
    uint32_t reserved4 = 0;

    // False, and nothing changes, when `folder` does not fit (see Fits).
    bool SetPath(const std::string& folder);
    // The folder the access data leads to now; false when it leads nowhere.
    bool ResolvePath(std::string& out) const;

    // Whether `folder` fits into an item whole (no longer than kPathCapacity - 1 bytes).
    static bool Fits(const std::string& folder);
};

class TQKitFolderList final {
public:
    TQKitFolderList() = default;
    TQKitFolderList(const TQKitFolderList&) = delete;
    TQKitFolderList& operator=(const TQKitFolderList&) = delete;

    // Replaces the list with the one stored in `section`; an absent list loads empty.
    void Load(const char* section);
    void Save(const char* section) const;

    // Drops entries without a path and repeated folders; keeps the selection on its folder.
    void TidyAfterLoad();
    // Keeps the selection inside the list before a menu shows it.
    void TidyBeforeMenu();

    // Appends `folder` (when it fits and is not there yet); the entry, or null.
    const TQKitFolderItem* Add(const std::string& folder);
    // Puts `folder` first and selects it, keeping at most `capacity` entries. False when the
    // folder does not fit.
    bool AddRecent(const std::string& folder, size_t capacity);
    const TQKitFolderItem* Find(const std::string& folder) const;
    void clear();

    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const TQKitFolderItem* at(size_t index) const { return index < items_.size() ? items_[index].get() : nullptr; }

    // The selected index, -1 when none; Select ignores an index outside the list.
    int SelectedIndex() const { return selected_; }
    void Select(int index);

private:
    std::vector<std::unique_ptr<TQKitFolderItem>> items_;
    int selected_ = -1;
};
