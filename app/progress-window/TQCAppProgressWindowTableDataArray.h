#pragma once

#include <memory>
#include <vector>

class TQKitConversionList;
class TQCAppProgressWindowTableDataRecord;

// The rows of a progress table: one record per item of a conversion list, in list order, taken
// when the array is made (items added later need a new array). Holds a list reference until
// cleanup(). Main thread only.
class TQCAppProgressWindowTableDataArray final {
public:
    // Null for a null list.
    static std::unique_ptr<TQCAppProgressWindowTableDataArray> create(TQKitConversionList* list);
    ~TQCAppProgressWindowTableDataArray();
    TQCAppProgressWindowTableDataArray(const TQCAppProgressWindowTableDataArray&) = delete;
    TQCAppProgressWindowTableDataArray& operator=(const TQCAppProgressWindowTableDataArray&) = delete;

    // Unbinds every record, then drops the list reference.
    void cleanup();
    TQKitConversionList* listHandle() const { return listHandle_; }

    // The records in the order of the last sort (list order at first).
    const std::vector<TQCAppProgressWindowTableDataRecord*>& arrangedObjects() const { return arranged_; }
    void sortByListItemId();
    void sortByStatus();

private:
    explicit TQCAppProgressWindowTableDataArray(TQKitConversionList* list);

    TQKitConversionList* listHandle_;
    std::vector<std::unique_ptr<TQCAppProgressWindowTableDataRecord>> records_;
    std::vector<TQCAppProgressWindowTableDataRecord*> arranged_;
};
