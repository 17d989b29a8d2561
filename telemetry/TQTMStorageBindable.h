#pragma once

struct sqlite3_stmt;

// One value bound to a statement parameter. Values are always bound, never written into the SQL
// text, so no stored text can change a statement.
class TQTMStorageBindable {
public:
    virtual ~TQTMStorageBindable() = default;
    // Binds the value at the 1-based parameter position; SQLite's result code.
    virtual int bindWithStatementAtIndex(sqlite3_stmt* statement, int index) const = 0;
};
