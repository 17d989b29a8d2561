#pragma once

#include "telemetry/TQTMStorageBindable.h"

#include <optional>
#include <string>

// A text parameter; an absent text binds SQL NULL.
class TQTMStorageTextType final : public TQTMStorageBindable {
public:
    explicit TQTMStorageTextType(std::optional<std::string> value);

    int bindWithStatementAtIndex(sqlite3_stmt* statement, int index) const override;

private:
    std::optional<std::string> value_;
};
