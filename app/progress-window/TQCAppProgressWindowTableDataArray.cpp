#include "app/progress-window/TQCAppProgressWindowTableDataArray.h"

#include "app/progress-window/TQCAppProgressWindowTableDataRecord.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/engine/TQKitConverter.h"

#include <algorithm>

std::unique_ptr<TQCAppProgressWindowTableDataArray> TQCAppProgressWindowTableDataArray::create(TQKitConversionList* list)
{
    if (list == nullptr)
        return nullptr;
    return std::unique_ptr<TQCAppProgressWindowTableDataArray>(new TQCAppProgressWindowTableDataArray(list));
}

TQCAppProgressWindowTableDataArray::TQCAppProgressWindowTableDataArray(TQKitConversionList* list) : listHandle_(list)
{
    TQKitConversionListRetain(list);
    std::vector<TQKitConversionListItem*> items;
    TQKitConversionListGetItems(list, items);
    for (TQKitConversionListItem* item : items) {
        if (auto record = TQCAppProgressWindowTableDataRecord::create(list, item)) {
            arranged_.push_back(record.get());
            records_.push_back(std::move(record));
        }
    }
}

TQCAppProgressWindowTableDataArray::~TQCAppProgressWindowTableDataArray() { cleanup(); }

void TQCAppProgressWindowTableDataArray::cleanup()
{
    for (const auto& record : records_)
        record->cleanup();
    if (listHandle_)
        TQKitConversionListRelease(listHandle_);
    listHandle_ = nullptr;
}

void TQCAppProgressWindowTableDataArray::sortByListItemId()
{
    std::stable_sort(arranged_.begin(), arranged_.end(),
                     [](const auto* a, const auto* b) { return a->compareByListItemId(*b) < 0; });
}

void TQCAppProgressWindowTableDataArray::sortByStatus()
{
    std::stable_sort(arranged_.begin(), arranged_.end(),
                     [](const auto* a, const auto* b) { return a->compareByStatus(*b) < 0; });
}
