#include "telemetry/TQTMStorageNumberType.h"

#include <sqlite3.h>

TQTMStorageNumberType::TQTMStorageNumberType(int64_t value)
    : value_(value)
{}

int TQTMStorageNumberType::bindWithStatementAtIndex(sqlite3_stmt* statement, int index) const
{
    return sqlite3_bind_int64(statement, index, value_);
}
