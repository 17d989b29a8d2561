#include "app/progress-window/TQCAppProgressWindowTableDataArray.h"

#include "app/progress-window/TQCAppProgressWindowTableDataRecord.h"
#include "app/progress-window/TQCAppProgressWindowTexts.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/engine/TQKitConverter.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <string>

std::unique_ptr<TQCAppProgressWindowTableDataArray> TQCAppProgressWindowTableDataArray::create(TQKitConversionList* list)
{
    if (list == nullptr)
        return nullptr;
    return std::unique_ptr<TQCAppProgressWindowTableDataArray>(new TQCAppProgressWindowTableDataArray(list));
}

TQCAppProgressWindowTableDataArray::TQCAppProgressWindowTableDataArray(TQKitConversionList* list) : listHandle_(list)
{
    TQKitConversionListRetain(list);
    TQKitConversionListGetItems(list, items_);
    itemIds_.reserve(items_.size());
    for (const TQKitConversionListItem* item : items_)
        itemIds_.push_back(TQKitConversionListItemId(item));
    records_.resize(items_.size());
    arranged_.resize(items_.size());
    std::iota(arranged_.begin(), arranged_.end(), size_t{0});
}

TQCAppProgressWindowTableDataArray::~TQCAppProgressWindowTableDataArray() { cleanup(); }

void TQCAppProgressWindowTableDataArray::cleanup()
{
    for (const auto& record : records_)
        if (record)
            record->cleanup();
    if (listHandle_)
        TQKitConversionListRelease(listHandle_);
    listHandle_ = nullptr;
}

TQCAppProgressWindowTableDataRecord* TQCAppProgressWindowTableDataArray::recordAt(size_t row)
{
    return row < arranged_.size() ? recordOf(arranged_[row]) : nullptr;
}

TQCAppProgressWindowTableDataRecord* TQCAppProgressWindowTableDataArray::recordOf(size_t item)
{
    std::unique_ptr<TQCAppProgressWindowTableDataRecord>& record = records_[item];
    if (!record && listHandle_)
        record = TQCAppProgressWindowTableDataRecord::create(listHandle_, items_[item]);
    return record.get();
}

void TQCAppProgressWindowTableDataArray::sortByListItemId()
{
    std::stable_sort(arranged_.begin(), arranged_.end(), [this](size_t a, size_t b) { return itemIds_[a] < itemIds_[b]; });
}

void TQCAppProgressWindowTableDataArray::sortByStatus()
{
    if (!listHandle_)
        return;
    for (size_t item = 0; item < records_.size(); ++item)
        recordOf(item);
    std::stable_sort(arranged_.begin(), arranged_.end(),
                     [this](size_t a, size_t b) { return records_[a]->compareByStatus(*records_[b]) < 0; });
}

QStringList TQCAppProgressWindowTableDataArray::completionStatusNames() const
{
    std::set<std::string> distinct;
    if (listHandle_)
        for (const TQKitConversionListItem* item : items_)
            if (std::string name; TQKitConversionListItemCompletion(listHandle_, item, &name) != 0)
                distinct.insert(std::move(name));
    QStringList names;
    for (const std::string& name : distinct)
        names.append(TQCAppTextFromKit(name.c_str()));
    return names;
}
