#include "telemetry/TQTMStorageBindableArray.h"

#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMStorageNumberType.h"
#include "telemetry/TQTMStorageTextType.h"

#include <sqlite3.h>

void TQTMStorageBindableArray::addString(std::optional<std::string> value)
{
    values_.push_back(std::make_unique<TQTMStorageTextType>(std::move(value)));
}

void TQTMStorageBindableArray::addNumber(int64_t value)
{
    values_.push_back(std::make_unique<TQTMStorageNumberType>(value));
}

void TQTMStorageBindableArray::addStringsFromArray(const std::vector<std::string>& values)
{
    for (const std::string& value : values)
        addString(value);
}

void TQTMStorageBindableArray::addNumbersFromArray(const std::vector<int64_t>& values)
{
    for (const int64_t value : values)
        addNumber(value);
}

int TQTMStorageBindableArray::bindAllValuesWithStatementInOpenedDatabase(sqlite3_stmt* statement,
                                                                        sqlite3* db) const
{
    for (size_t i = 0; i < values_.size(); ++i) {
        const int position = static_cast<int>(i) + 1;
        const int result = values_[i]->bindWithStatementAtIndex(statement, position);
        if (result != SQLITE_OK) {
            TQTMLogError(kTQTMCoreLogTag, "Binding query parameter " + std::to_string(position) +
                                              " failed with error: " + std::to_string(result) +
                                              ". Message: " + sqlite3_errmsg(db));
            return result;
        }
    }
    return SQLITE_OK;
}
