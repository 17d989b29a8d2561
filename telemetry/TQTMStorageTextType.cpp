#include "telemetry/TQTMStorageTextType.h"

#include <sqlite3.h>

TQTMStorageTextType::TQTMStorageTextType(std::optional<std::string> value)
    : value_(std::move(value))
{}

int TQTMStorageTextType::bindWithStatementAtIndex(sqlite3_stmt* statement, int index) const
{
    if (!value_)
        return sqlite3_bind_null(statement, index);
    return sqlite3_bind_text64(statement, index, value_->data(), value_->size(), SQLITE_TRANSIENT,
                               SQLITE_UTF8);
}
