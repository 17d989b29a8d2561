#include "telemetry/TQTMDBStorage.h"

#include "platform/system/PercentEncoding.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMUtility.h"

#include <sqlite3.h>

#include <mutex>

namespace {

constexpr int kOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI;

// File names are handed to SQLite as "file:" URIs, so that a name with "?" or "#" stays a name.
std::string fileURI(const std::filesystem::path& path)
{
    return "file://" + sonvale::percentEncodePath(std::filesystem::absolute(path).string());
}

// Made once, before the first connection of the process: the result is logged by the first store.
int globalConfigurationResult()
{
    static const int result = sqlite3_config(SQLITE_CONFIG_URI, 1);
    return result;
}

bool isDamagedFile(int result)
{
    return result == SQLITE_CORRUPT || result == SQLITE_NOTADB;
}

std::string errorText(int code, sqlite3* db)
{
    return std::to_string(code) + "\n\t" + sqlite3_errmsg(db);
}

} // namespace

void TQTMStorageDatabaseCloser::operator()(sqlite3* db) const
{
    sqlite3_close_v2(db);
}

int64_t TQTMStorageInteger(const TQTMStorageValue& value)
{
    const int64_t* number = std::get_if<int64_t>(&value);
    return number ? *number : 0;
}

TQTMDBStorage::TQTMDBStorage(std::optional<TQTMStorageSchema> schema, uint64_t version,
                             const std::string& filename)
{
    initWithSchemaVersionFilename(std::move(schema), version, filename);
}

void TQTMDBStorage::initWithSchemaVersionFilename(std::optional<TQTMStorageSchema> schema,
                                                  uint64_t version, const std::string& filename)
{
    schema_ = std::move(schema);
    static std::once_flag logged;
    std::call_once(logged, [] {
        const int result = globalConfigurationResult();
        if (result == SQLITE_OK)
            TQTMLogDebug(kTQTMCoreLogTag, "SQLite global configuration successfully updated.");
        else
            TQTMLogError(kTQTMCoreLogTag,
                         std::string("Failed to update SQLite global configuration. Error: ") +
                             sqlite3_errstr(result) + ".");
    });
    int result = configureDatabaseWithSchemaVersionFilename(schema_, version, filename);
    if (isDamagedFile(result)) {
        dropDatabase();
        result = configureDatabaseWithSchemaVersionFilename(schema_, version, filename);
    }
    if (result != SQLITE_OK)
        TQTMLogError(kTQTMCoreLogTag, "Failed to initialize database.");
}

int TQTMDBStorage::configureDatabaseWithSchemaVersionFilename(
    const std::optional<TQTMStorageSchema>& schema, uint64_t version, const std::string& filename)
{
    const bool existed = TQTMUtility::fileExistsForPathComponent(filename);
    dbFileURL_ = TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(
                     filename, {}, false, false)
                     .value_or(TQTMUtility::telemetryDirectoryURL() / filename);
    maxSizeInBytes_ = kDefaultMaxSizeInBytes;

    int result = SQLITE_OK;
    TQTMStorageDatabase db = openDatabaseAtFileURLWithResult(dbFileURL_, &result);
    if (!db)
        return result;

    // A damaged file shows at the first read of its header; it is reported as such, so that the
    // caller replaces it.
    pageSize_ = querySingleValueInOpenedDatabase("PRAGMA page_size;", db.get(), &result);
    if (isDamagedFile(result))
        return result;
    if (pageSize_ == 0) {
        TQTMLogError(kTQTMCoreLogTag, "Failed to get storage page size.");
        return SQLITE_ERROR;
    }
    const uint64_t oldVersion = versionInOpenedDatabaseResult(db.get(), &result);
    if (result != SQLITE_OK)
        return result;

    // A new file takes the vacuum mode before its first table, so it never needs a VACUUM.
    if (!existed)
        executeSelectionQueryInOpenedDatabase("PRAGMA auto_vacuum = FULL;", db.get(), nullptr,
                                              nullptr);
    if (schema) {
        result = createTablesWithSchemaInOpenedDatabase(*schema, db.get());
        if (result != SQLITE_OK) {
            TQTMLogError(kTQTMCoreLogTag, "Failed to create tables with schema with error \"" +
                                              std::to_string(result) + "\".");
            return result;
        }
    }
    if (existed && oldVersion < version) {
        TQTMLogInfo(kTQTMCoreLogTag, "Migrating \"" + filename + "\" database from version " +
                                         std::to_string(oldVersion) + " to " +
                                         std::to_string(version) + ".");
        migrateDatabaseFromVersion(db.get(), oldVersion);
    } else if (!existed) {
        TQTMLogInfo(kTQTMCoreLogTag, "Created \"" + filename + "\" database with " +
                                         std::to_string(version) + " version.");
        customizeDatabase(db.get());
    }
    enableAutoVacuumInOpenedDatabase(db.get());
    setVersionInOpenedDatabase(version, db.get());
    return SQLITE_OK;
}

int TQTMDBStorage::executeQueryUsingBlock(const std::function<int(sqlite3*)>& block)
{
    int result = SQLITE_OK;
    TQTMStorageDatabase db = openDatabaseAtFileURLWithResult(dbFileURL_, &result);
    if (!db)
        return result;
    if (pageSize_ == 0) {
        TQTMLogError(kTQTMCoreLogTag, "The database was not configured correctly. The page size "
                                      "is expected to be non zero.");
        return SQLITE_ERROR;
    }
    result = setMaxPageCountInOpenedDatabase(maxSizeInBytes_ / pageSize_, db.get());
    if (isDamagedFile(result))
        return result;
    if (result != SQLITE_OK)
        TQTMLogError(kTQTMCoreLogTag,
                     "Failed to open database with specified maximum size constraint.");
    return block(db.get());
}

int TQTMDBStorage::executeNonSelectionQuery(const std::string& query,
                                            const TQTMStorageBindableArray* values)
{
    return executeQueryUsingBlock([&](sqlite3* db) {
        return executeNonSelectionQueryInOpenedDatabase(query, db, values);
    });
}

std::vector<TQTMStorageRow> TQTMDBStorage::executeSelectionQuery(
    const std::string& query, const TQTMStorageBindableArray* values)
{
    std::vector<TQTMStorageRow> rows;
    executeQueryUsingBlock([&](sqlite3* db) {
        int result = SQLITE_OK;
        rows = executeSelectionQueryInOpenedDatabase(query, db, &result, values);
        return result;
    });
    return rows;
}

uint64_t TQTMDBStorage::countEntriesForTableConditionWithValues(
    const std::string& table, const std::string& condition, const TQTMStorageBindableArray* values)
{
    std::string query = "SELECT COUNT(*) FROM \"" + table + "\" ";
    if (!condition.empty())
        query += "WHERE " + condition;
    const std::vector<TQTMStorageRow> rows = executeSelectionQuery(query, values);
    if (rows.empty() || rows[0].empty())
        return 0;
    return static_cast<uint64_t>(TQTMStorageInteger(rows[0][0]));
}

bool TQTMDBStorage::createTableColumnsSchema(const std::string& table,
                                             const TQTMStorageColumnsSchema& columns)
{
    const int result = executeQueryUsingBlock([&](sqlite3* db) {
        if (tableExistsInOpenedDatabase(table, db))
            return SQLITE_DONE; // nothing to do, nothing to log
        const int created = executeNonSelectionQueryInOpenedDatabase(
            "CREATE TABLE \"" + table + "\" (" + columnsQueryFromColumnsSchema(columns) + ");", db);
        if (created == SQLITE_OK)
            TQTMLogVerbose(kTQTMCoreLogTag, "Table " + table + " has been created");
        else
            TQTMLogError(kTQTMCoreLogTag, "Failed to create table " + table);
        return created;
    });
    return result == SQLITE_OK || result == SQLITE_DONE;
}

bool TQTMDBStorage::dropTable(const std::string& table)
{
    const int result = executeQueryUsingBlock([&](sqlite3* db) {
        if (!tableExistsInOpenedDatabase(table, db))
            return SQLITE_DONE;
        const int dropped =
            executeNonSelectionQueryInOpenedDatabase("DROP TABLE \"" + table + "\";", db);
        if (dropped == SQLITE_OK)
            TQTMLogVerbose(kTQTMCoreLogTag, "Table " + table + " has been deleted");
        else
            TQTMLogError(kTQTMCoreLogTag, "Failed to delete table " + table);
        return dropped;
    });
    return result == SQLITE_OK || result == SQLITE_DONE;
}

void TQTMDBStorage::dropDatabase()
{
    if (TQTMUtility::deleteFileAtURL(dbFileURL_))
        TQTMLogVerbose(kTQTMCoreLogTag, "Database " + fileURI(dbFileURL_) + " has been deleted.");
    else
        TQTMLogError(kTQTMCoreLogTag, "Failed to delete database.");
}

void TQTMDBStorage::setMaxStorageSizeCompletionHandler(
    int64_t sizeInBytes, const std::function<void(bool)>& completionHandler)
{
    const auto finish = [&](bool success) {
        if (completionHandler)
            completionHandler(success);
    };
    int result = SQLITE_OK;
    TQTMStorageDatabase db = openDatabaseAtFileURLWithResult(dbFileURL_, &result);
    if (!db)
        return finish(false);
    if (pageSize_ == 0) {
        TQTMLogError(kTQTMCoreLogTag, "The database was not configured correctly. The page size "
                                      "is expected to be non zero.");
        db.reset();
        return finish(false);
    }
    const int64_t pageCount = getPageCountInOpenedDatabase(db.get());
    TQTMLogDebug(kTQTMCoreLogTag, "Found " + std::to_string(pageCount) + " pages in the database.");
    const int64_t requestedPages = (sizeInBytes + pageSize_ - 1) / pageSize_;
    bool success = false;
    if (requestedPages < pageCount) {
        TQTMLogWarning(kTQTMCoreLogTag,
                       "Cannot change database size to " + std::to_string(sizeInBytes) +
                           " bytes as it would cause a loss of data. Maximum database size will "
                           "not be changed.");
    } else if (const int set = setMaxPageCountInOpenedDatabase(requestedPages, db.get());
               set != SQLITE_OK) {
        TQTMLogError(kTQTMCoreLogTag, "Could not change maximum database size to " +
                                          std::to_string(sizeInBytes) +
                                          " bytes. SQLite error code: " + std::to_string(set));
    } else {
        const int64_t pages = getMaxPageCountInOpenedDatabase(db.get());
        const int64_t effectiveBytes = pages * pageSize_;
        if (pages == requestedPages) {
            if (effectiveBytes == sizeInBytes)
                TQTMLogInfo(kTQTMCoreLogTag, "Changed maximum database size to " +
                                                 std::to_string(sizeInBytes) + " bytes.");
            else
                TQTMLogInfo(kTQTMCoreLogTag, "Changed maximum database size to " +
                                                 std::to_string(effectiveBytes) +
                                                 " bytes (next multiple of 4KiB).");
            maxSizeInBytes_ = effectiveBytes;
            success = true;
        } else {
            TQTMLogError(kTQTMCoreLogTag, "Could not change maximum database size to " +
                                              std::to_string(sizeInBytes) +
                                              " bytes, current maximum size is " +
                                              std::to_string(effectiveBytes) + " bytes.");
        }
    }
    db.reset();
    finish(success);
}

TQTMStorageDatabase TQTMDBStorage::openDatabaseAtFileURLWithResult(const std::filesystem::path& url,
                                                                   int* result)
{
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(fileURI(url).c_str(), &raw, kOpenFlags, nullptr);
    TQTMStorageDatabase db(raw);
    if (result)
        *result = opened;
    if (opened != SQLITE_OK) {
        TQTMLogError(kTQTMCoreLogTag,
                     "Failed to open database with result: " + std::to_string(opened) + ".");
        return nullptr;
    }
    return db;
}

int TQTMDBStorage::createTablesWithSchemaInOpenedDatabase(const TQTMStorageSchema& schema,
                                                          sqlite3* db)
{
    std::vector<std::string> statements;
    for (const auto& [table, columns] : schema) {
        int result = SQLITE_OK;
        const bool exists = tableExistsInOpenedDatabase(table, db, &result);
        if (result != SQLITE_OK)
            return result;
        if (!exists)
            statements.push_back("CREATE TABLE \"" + table + "\" (" +
                                 columnsQueryFromColumnsSchema(columns) + ");");
    }
    for (const std::string& statement : statements)
        if (const int result = executeNonSelectionQueryInOpenedDatabase(statement, db))
            return result;
    return SQLITE_OK;
}

std::string TQTMDBStorage::columnsQueryFromColumnsSchema(const TQTMStorageColumnsSchema& columns)
{
    std::string query;
    for (const auto& [name, constraints] : columns) {
        if (!query.empty())
            query += ", ";
        query += "\"" + name + "\"";
        std::string words;
        for (const std::string& word : constraints)
            words += (words.empty() ? "" : " ") + word;
        query += " " + words;
    }
    return query;
}

TQTMStorageColumnIndexes TQTMDBStorage::columnsIndexes(const TQTMStorageSchema& schema)
{
    TQTMStorageColumnIndexes indexes;
    for (const auto& [table, columns] : schema)
        for (size_t i = 0; i < columns.size(); ++i)
            indexes[table][columns[i].first] = i;
    return indexes;
}

bool TQTMDBStorage::tableExistsInOpenedDatabase(const std::string& table, sqlite3* db, int* result)
{
    TQTMStorageBindableArray values;
    values.addString(table);
    const std::vector<TQTMStorageRow> rows = executeSelectionQueryInOpenedDatabase(
        "SELECT COUNT(*) FROM \"sqlite_master\" WHERE \"type\"='table' AND \"name\"=?;", db,
        result, &values);
    return !rows.empty() && !rows[0].empty() && TQTMStorageInteger(rows[0][0]) != 0;
}

uint64_t TQTMDBStorage::versionInOpenedDatabaseResult(sqlite3* db, int* result)
{
    const std::vector<TQTMStorageRow> rows =
        executeSelectionQueryInOpenedDatabase("PRAGMA user_version", db, result, nullptr);
    if (rows.empty() || rows[0].empty())
        return 0;
    return static_cast<uint64_t>(TQTMStorageInteger(rows[0][0]));
}

void TQTMDBStorage::setVersionInOpenedDatabase(uint64_t version, sqlite3* db)
{
    executeSelectionQueryInOpenedDatabase("PRAGMA user_version = " + std::to_string(version), db,
                                          nullptr, nullptr);
}

void TQTMDBStorage::enableAutoVacuumInOpenedDatabase(sqlite3* db)
{
    if (querySingleValueInOpenedDatabase("PRAGMA auto_vacuum", db) == 1)
        return;
    TQTMLogDebug(kTQTMCoreLogTag, "Vacuuming database and enabling auto_vacuum");
    executeSelectionQueryInOpenedDatabase("PRAGMA auto_vacuum = FULL;", db, nullptr, nullptr);
    executeSelectionQueryInOpenedDatabase("VACUUM;", db, nullptr, nullptr);
}

int TQTMDBStorage::executeNonSelectionQueryInOpenedDatabase(const std::string& query, sqlite3* db,
                                                            const TQTMStorageBindableArray* values)
{
    return executeQueryInOpenedDatabaseWithValuesUsingBlock(
        query, db, values, [db](sqlite3_stmt* statement) {
            const int result = sqlite3_step(statement);
            if (result == SQLITE_DONE)
                return SQLITE_OK;
            if (isDamagedFile(result))
                TQTMLogError(kTQTMCoreLogTag,
                             "A database file is corrupted, result=" + errorText(result, db));
            else if (result == SQLITE_FULL)
                TQTMLogDebug(kTQTMCoreLogTag, "Query failed with error: " + errorText(result, db));
            else
                TQTMLogError(kTQTMCoreLogTag,
                             "Could not execute the statement, result=" + errorText(result, db));
            return result;
        });
}

int TQTMDBStorage::executeQueryInOpenedDatabaseWithValuesUsingBlock(
    const std::string& query, sqlite3* db, const TQTMStorageBindableArray* values,
    const std::function<int(sqlite3_stmt*)>& block)
{
    sqlite3_stmt* statement = nullptr;
    const int prepared = sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr);
    if (prepared != SQLITE_OK) {
        TQTMLogError(kTQTMCoreLogTag,
                     "Failed to prepare SQLite statement, result=" + errorText(prepared, db));
        sqlite3_finalize(statement);
        return prepared;
    }
    const int bound = values ? values->bindAllValuesWithStatementInOpenedDatabase(statement, db)
                             : SQLITE_OK;
    const int result = bound == SQLITE_OK ? block(statement) : bound;
    if (const int finalized = sqlite3_finalize(statement);
        finalized != SQLITE_OK && result == SQLITE_OK)
        TQTMLogError(kTQTMCoreLogTag,
                     "Failed to finalize SQLite statement, result=" + errorText(finalized, db));
    return result;
}

std::vector<TQTMStorageRow> TQTMDBStorage::executeSelectionQueryInOpenedDatabase(
    const std::string& query, sqlite3* db, int* result, const TQTMStorageBindableArray* values)
{
    std::vector<TQTMStorageRow> rows;
    const int code = executeQueryInOpenedDatabaseWithValuesUsingBlock(
        query, db, values, [&](sqlite3_stmt* statement) {
            int step;
            while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
                const int columns = sqlite3_column_count(statement);
                if (columns == 0)
                    continue;
                TQTMStorageRow row;
                for (int i = 0; i < columns; ++i)
                    row.push_back(columnValueFromStatementAtIndex(statement, i));
                rows.push_back(std::move(row));
            }
            if (step == SQLITE_DONE)
                return SQLITE_OK;
            TQTMLogError(kTQTMCoreLogTag, "Query failed with error: " + errorText(step, db));
            return step;
        });
    if (result)
        *result = code;
    return rows;
}

TQTMStorageValue TQTMDBStorage::columnValueFromStatementAtIndex(sqlite3_stmt* statement, int index)
{
    const int type = sqlite3_column_type(statement, index);
    switch (type) {
    case SQLITE_INTEGER:
        return static_cast<int64_t>(sqlite3_column_int64(statement, index));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
        return std::string(text ? text : "",
                           static_cast<size_t>(sqlite3_column_bytes(statement, index)));
    }
    case SQLITE_NULL:
        return std::monostate{};
    default:
        TQTMLogError(kTQTMCoreLogTag, "Could not retrieve column value at index " +
                                          std::to_string(index) +
                                          " from statement: unknown type " + std::to_string(type) +
                                          ".");
        return std::monostate{};
    }
}

int64_t TQTMDBStorage::getPageSizeInOpenedDatabase(sqlite3* db)
{
    return querySingleValueInOpenedDatabase("PRAGMA page_size;", db);
}

int64_t TQTMDBStorage::getPageCountInOpenedDatabase(sqlite3* db)
{
    return querySingleValueInOpenedDatabase("PRAGMA page_count;", db);
}

int64_t TQTMDBStorage::getMaxPageCountInOpenedDatabase(sqlite3* db)
{
    return querySingleValueInOpenedDatabase("PRAGMA max_page_count;", db);
}

int TQTMDBStorage::setMaxPageCountInOpenedDatabase(int64_t pageCount, sqlite3* db)
{
    int result = SQLITE_OK;
    executeSelectionQueryInOpenedDatabase("PRAGMA max_page_count = " + std::to_string(pageCount),
                                          db, &result, nullptr);
    return result;
}

int64_t TQTMDBStorage::querySingleValueInOpenedDatabase(const std::string& query, sqlite3* db,
                                                        int* result)
{
    const std::vector<TQTMStorageRow> rows =
        executeSelectionQueryInOpenedDatabase(query, db, result, nullptr);
    if (rows.empty() || rows[0].empty())
        return 0;
    return TQTMStorageInteger(rows[0][0]);
}

void TQTMDBStorage::customizeDatabase(sqlite3*) {}

void TQTMDBStorage::migrateDatabaseFromVersion(sqlite3*, uint64_t) {}
