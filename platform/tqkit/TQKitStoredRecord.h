#pragma once

// One settings record as it is stored: all its fields together in one text setting (section
// "TQKitSettingsRecords", key = the record's name), so a record is always read and written whole
// and a save on one thread never tears a load on another. Readers check every field against what
// the field allows and fall back to the field's default for anything else (a damaged file, a value
// of an older version, a missing field).
//
// Used by the record load/save functions only; one object per load or save, on any thread.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

class TQKitStoredRecord final {
public:
    // An empty record, to be filled with set() and saved.
    TQKitStoredRecord();
    ~TQKitStoredRecord();
    TQKitStoredRecord(const TQKitStoredRecord&) = delete;
    TQKitStoredRecord& operator=(const TQKitStoredRecord&) = delete;

    // The stored record of that name, or an empty one when none is stored or it is unreadable.
    static TQKitStoredRecord load(const char* name);
    // Removes the stored record, so that loading gives every field its default.
    static void remove(const char* name);
    void save(const char* name) const;

    bool flag(const char* field, bool fallback) const;
    // The stored integer when it is one of `allowed`.
    int32_t integerOf(const char* field, int32_t fallback,
                      std::initializer_list<int32_t> allowed) const;
    // The stored integer when it lies in [min, max].
    int32_t integerIn(const char* field, int32_t fallback, int32_t min, int32_t max) const;
    // The stored finite number when it lies in [min, max].
    double realIn(const char* field, double fallback, double min, double max) const;
    std::string text(const char* field) const;

    void set(const char* field, bool value);
    void set(const char* field, int32_t value);
    void set(const char* field, double value);
    void set(const char* field, const std::string& value);

    TQKitStoredRecord(TQKitStoredRecord&&) noexcept;

private:
    struct Fields;
    std::unique_ptr<Fields> fields_;
};
