#pragma once

#include "telemetry/TQTMStorageBindableArray.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A value read back from a row: nothing (NULL, or a type the stores never write), a 64-bit integer
// or a text.
using TQTMStorageValue = std::variant<std::monostate, int64_t, std::string>;
using TQTMStorageRow = std::vector<TQTMStorageValue>;
// Columns of one table in their order: name and constraint words ("INTEGER", "NOT NULL", ...).
using TQTMStorageColumnsSchema = std::vector<std::pair<std::string, std::vector<std::string>>>;
// Tables in the order they are created.
using TQTMStorageSchema = std::vector<std::pair<std::string, TQTMStorageColumnsSchema>>;
// Per table: column name to its position in the rows read back.
using TQTMStorageColumnIndexes = std::map<std::string, std::map<std::string, size_t>>;

// Closes a connection when it goes out of scope.
struct TQTMStorageDatabaseCloser {
    void operator()(sqlite3* db) const;
};
using TQTMStorageDatabase = std::unique_ptr<sqlite3, TQTMStorageDatabaseCloser>;

// The base of the client's SQLite stores: one database file in the telemetry folder, created with
// the tables of a schema, a schema version in the file header, full auto-vacuum, and a maximum
// file size enforced by SQLite's page-count limit. No connection is kept: every operation opens
// the file, sets the limit, runs and closes it.
//
// Not thread-safe: the owner runs every operation, construction included, on one serial queue off
// the main thread (converting a file of another vacuum mode runs VACUUM there). Failures are SQLite
// result codes and log lines; nothing throws.
class TQTMDBStorage {
public:
    static constexpr int64_t kDefaultMaxSizeInBytes = 10 * 1024 * 1024;

    // Configures the file at once; a file that is no database, or is corrupt, is deleted and made
    // anew. The store stays usable as an object when configuration fails: its operations fail.
    TQTMDBStorage(std::optional<TQTMStorageSchema> schema, uint64_t version,
                  const std::string& filename);
    virtual ~TQTMDBStorage() = default;
    TQTMDBStorage(const TQTMDBStorage&) = delete;
    TQTMDBStorage& operator=(const TQTMDBStorage&) = delete;

    const std::filesystem::path& dbFileURL() const { return dbFileURL_; }
    int64_t maxSizeInBytes() const { return maxSizeInBytes_; }
    int64_t pageSize() const { return pageSize_; }
    const std::optional<TQTMStorageSchema>& schema() const { return schema_; }

    int configureDatabaseWithSchemaVersionFilename(const std::optional<TQTMStorageSchema>& schema,
                                                   uint64_t version, const std::string& filename);
    // Runs the block on an open connection with the size limit set; the block's result, or the
    // code of the failure that kept it from running.
    int executeQueryUsingBlock(const std::function<int(sqlite3*)>& block);
    int executeNonSelectionQuery(const std::string& query,
                                 const TQTMStorageBindableArray* values = nullptr);
    // The rows read; none when the file could not be opened.
    std::vector<TQTMStorageRow> executeSelectionQuery(const std::string& query,
                                                      const TQTMStorageBindableArray* values);
    uint64_t countEntriesForTableConditionWithValues(const std::string& table,
                                                     const std::string& condition,
                                                     const TQTMStorageBindableArray* values);
    bool createTableColumnsSchema(const std::string& table, const TQTMStorageColumnsSchema& columns);
    bool dropTable(const std::string& table);
    void dropDatabase();
    // Changes the limit for every later operation, to whole pages; refused when the file is
    // already larger. The handler (may be empty) runs before the call returns.
    void setMaxStorageSizeCompletionHandler(int64_t sizeInBytes,
                                            const std::function<void(bool)>& completionHandler);

    // Operations on a connection that is already open.
    static TQTMStorageDatabase openDatabaseAtFileURLWithResult(const std::filesystem::path& url,
                                                               int* result);
    static int createTablesWithSchemaInOpenedDatabase(const TQTMStorageSchema& schema, sqlite3* db);
    static std::string columnsQueryFromColumnsSchema(const TQTMStorageColumnsSchema& columns);
    static TQTMStorageColumnIndexes columnsIndexes(const TQTMStorageSchema& schema);
    static bool tableExistsInOpenedDatabase(const std::string& table, sqlite3* db,
                                            int* result = nullptr);
    static uint64_t versionInOpenedDatabaseResult(sqlite3* db, int* result);
    static void setVersionInOpenedDatabase(uint64_t version, sqlite3* db);
    static void enableAutoVacuumInOpenedDatabase(sqlite3* db);
    static int executeNonSelectionQueryInOpenedDatabase(const std::string& query, sqlite3* db,
                                                        const TQTMStorageBindableArray* values =
                                                            nullptr);
    static int executeQueryInOpenedDatabaseWithValuesUsingBlock(
        const std::string& query, sqlite3* db, const TQTMStorageBindableArray* values,
        const std::function<int(sqlite3_stmt*)>& block);
    static std::vector<TQTMStorageRow>
    executeSelectionQueryInOpenedDatabase(const std::string& query, sqlite3* db, int* result,
                                          const TQTMStorageBindableArray* values);
    static TQTMStorageValue columnValueFromStatementAtIndex(sqlite3_stmt* statement, int index);
    static int64_t getPageSizeInOpenedDatabase(sqlite3* db);
    static int64_t getPageCountInOpenedDatabase(sqlite3* db);
    static int64_t getMaxPageCountInOpenedDatabase(sqlite3* db);
    static int setMaxPageCountInOpenedDatabase(int64_t pageCount, sqlite3* db);

protected:
    // For subclasses, which configure from their own constructor so that their hooks are called.
    TQTMDBStorage() = default;
    void initWithSchemaVersionFilename(std::optional<TQTMStorageSchema> schema, uint64_t version,
                                       const std::string& filename);

    // Called once when the file was created, on the open connection.
    virtual void customizeDatabase(sqlite3* db);
    // Called when the file's version is lower than the one asked for.
    virtual void migrateDatabaseFromVersion(sqlite3* db, uint64_t version);

private:
    // The first column of the first row; 0 when there is none.
    static int64_t querySingleValueInOpenedDatabase(const std::string& query, sqlite3* db,
                                                    int* result = nullptr);

    std::filesystem::path dbFileURL_;
    int64_t maxSizeInBytes_ = kDefaultMaxSizeInBytes;
    int64_t pageSize_ = 0;
    std::optional<TQTMStorageSchema> schema_;
};

// A row value as an integer (0 for anything else).
int64_t TQTMStorageInteger(const TQTMStorageValue& value);
