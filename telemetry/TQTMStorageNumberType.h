#pragma once

#include "telemetry/TQTMStorageBindable.h"

#include <cstdint>

// An integer parameter (row ids and priorities), bound as 64 bits.
class TQTMStorageNumberType final : public TQTMStorageBindable {
public:
    explicit TQTMStorageNumberType(int64_t value);

    int bindWithStatementAtIndex(sqlite3_stmt* statement, int index) const override;

private:
    int64_t value_;
};
