#pragma once

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TQKitConversionList;
class TQKitConversionListItem;
class TQCAppProgressWindowTableDataRecord;

// The rows of a progress table: one per item of a conversion list, in list order, taken when the
// array is made (items added later need a new array). A row's record is made when the row is first
// asked for, as it comes into view: opening a window over thousands of items costs what a
// screenful does. Holds a list reference until cleanup(). Main thread only.
class TQCAppProgressWindowTableDataArray final {
public:
    // Null for a null list.
    static std::unique_ptr<TQCAppProgressWindowTableDataArray> create(TQKitConversionList* list);
    ~TQCAppProgressWindowTableDataArray();
    TQCAppProgressWindowTableDataArray(const TQCAppProgressWindowTableDataArray&) = delete;
    TQCAppProgressWindowTableDataArray& operator=(const TQCAppProgressWindowTableDataArray&) = delete;

    // Unbinds every record made, then drops the list reference; no record is made afterwards.
    void cleanup();
    TQKitConversionList* listHandle() const { return listHandle_; }

    // The rows, in the order of the last sort (list order at first).
    size_t count() const { return arranged_.size(); }
    // The record of `row`, made on first use; null after cleanup() for a row never asked for.
    TQCAppProgressWindowTableDataRecord* recordAt(size_t row);
    void sortByListItemId();
    // Needs every row's record: all are made.
    void sortByStatus();
    // The distinct completion texts of the rows' items, read from the list without making records;
    // none after cleanup().
    QStringList completionStatusNames() const;

private:
    explicit TQCAppProgressWindowTableDataArray(TQKitConversionList* list);
    TQCAppProgressWindowTableDataRecord* recordOf(size_t item);

    TQKitConversionList* listHandle_;
    std::vector<TQKitConversionListItem*> items_;                           // list order
    std::vector<uint32_t> itemIds_;                                         // by item
    std::vector<std::unique_ptr<TQCAppProgressWindowTableDataRecord>> records_; // by item, made as needed
    std::vector<size_t> arranged_;                                          // item indexes
};
