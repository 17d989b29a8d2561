#pragma once

#include "telemetry/TQTMStorageBindable.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

// The parameters of one statement, in the order of its "?" placeholders.
class TQTMStorageBindableArray final {
public:
    void addString(std::optional<std::string> value);
    void addNumber(int64_t value);
    void addStringsFromArray(const std::vector<std::string>& values);
    void addNumbersFromArray(const std::vector<int64_t>& values);

    size_t count() const { return values_.size(); }

    // Binds every value; stops at the first failure, logs it and returns its code (0 when all
    // bound, also for no values).
    int bindAllValuesWithStatementInOpenedDatabase(sqlite3_stmt* statement, sqlite3* db) const;

private:
    std::vector<std::unique_ptr<TQTMStorageBindable>> values_;
};
