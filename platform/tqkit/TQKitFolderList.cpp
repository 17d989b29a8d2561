#include "platform/tqkit/TQKitFolderList.h"

#include "platform/tqkit/TQKitSettings.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kCountKey = "FolderCount";
constexpr const char* kSelectedKey = "FolderSelected";

std::string folderKey(size_t index) { return "Folder" + std::to_string(index); }

} // namespace

bool TQKitFolderItem::Fits(const std::string& folder) { return folder.size() < kPathCapacity; }

bool TQKitFolderItem::SetPath(const std::string& folder)
{
    if (!Fits(folder))
        return false;
    std::memset(path, 0, sizeof path);
    std::memcpy(path, folder.data(), folder.size());
    std::memcpy(reference, folder.data(), folder.size());
    referenceLength = folder.size();
    return true;
}

bool TQKitFolderItem::ResolvePath(std::string& out) const
{
    if (referenceLength == 0)
        return false;
    out.assign(reinterpret_cast<const char*>(reference), referenceLength);
    return true;
}

void TQKitFolderList::Load(const char* section)
{
    items_.clear();
    const int count = std::max(0, TQKitSettingReadInt(section, kCountKey, 0));
    for (int i = 0; i < count; ++i) {
        auto item = std::make_unique<TQKitFolderItem>();
        // A stored path that does not fit is left out rather than cut.
        if (item->SetPath(TQKitSettingReadText(section, folderKey(i).c_str(), "")))
            items_.push_back(std::move(item));
    }
    selected_ = TQKitSettingReadInt(section, kSelectedKey, -1);
    if (selected_ >= static_cast<int>(items_.size()))
        selected_ = -1;
}

void TQKitFolderList::Save(const char* section) const
{
    const int previous = TQKitSettingReadInt(section, kCountKey, 0);
    for (size_t i = 0; i < items_.size(); ++i)
        TQKitSettingWriteText(section, folderKey(i).c_str(), items_[i]->path);
    for (int i = static_cast<int>(items_.size()); i < previous; ++i)
        TQKitSettingRemove(section, folderKey(i).c_str());
    TQKitSettingWriteInt(section, kCountKey, static_cast<int>(items_.size()));
    TQKitSettingWriteInt(section, kSelectedKey, selected_);
}

void TQKitFolderList::TidyAfterLoad()
{
    const std::string selectedPath = selected_ >= 0 ? items_[selected_]->path : "";
    std::vector<std::unique_ptr<TQKitFolderItem>> kept;
    for (auto& item : items_) {
        const bool repeated = std::any_of(kept.begin(), kept.end(), [&](const auto& other) {
            return std::strcmp(other->path, item->path) == 0;
        });
        if (item->path[0] != '\0' && !repeated)
            kept.push_back(std::move(item));
    }
    items_ = std::move(kept);
    selected_ = -1;
    for (size_t i = 0; i < items_.size() && !selectedPath.empty(); ++i) {
        if (selectedPath == items_[i]->path)
            selected_ = static_cast<int>(i);
    }
}

void TQKitFolderList::TidyBeforeMenu()
{
    if (selected_ >= static_cast<int>(items_.size()))
        selected_ = -1;
}

const TQKitFolderItem* TQKitFolderList::Add(const std::string& folder)
{
    if (const TQKitFolderItem* existing = Find(folder))
        return existing;
    auto item = std::make_unique<TQKitFolderItem>();
    if (!item->SetPath(folder))
        return nullptr;
    items_.push_back(std::move(item));
    return items_.back().get();
}

bool TQKitFolderList::AddRecent(const std::string& folder, size_t capacity)
{
    auto item = std::make_unique<TQKitFolderItem>();
    if (capacity == 0 || !item->SetPath(folder))
        return false;
    std::erase_if(items_, [&](const auto& other) { return folder == other->path; });
    items_.insert(items_.begin(), std::move(item));
    if (items_.size() > capacity)
        items_.resize(capacity);
    selected_ = 0;
    return true;
}

const TQKitFolderItem* TQKitFolderList::Find(const std::string& folder) const
{
    for (const auto& item : items_) {
        if (folder == item->path)
            return item.get();
    }
    return nullptr;
}

void TQKitFolderList::clear()
{
    items_.clear();
    selected_ = -1;
}

void TQKitFolderList::Select(int index)
{
    if (index >= 0 && index < static_cast<int>(items_.size()))
        selected_ = index;
}
