#include "telemetry/TQTMLogDBStorage.h"

#include "platform/system/Base64.h"
#include "platform/system/Uuid.h"
#include "telemetry/TQTMAbstractLog.h"
#include "telemetry/TQTMCommonSchemaLog.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMUtility.h"

#include <sqlite3.h>

#include <limits>
#include <set>

namespace {

constexpr const char* kTable = "logs";
constexpr const char* kId = "id";
constexpr const char* kGroupId = "groupId";
constexpr const char* kLog = "log";
constexpr const char* kTargetToken = "targetToken";
constexpr const char* kTargetKey = "targetKey";
constexpr const char* kPriority = "priority";

std::string quoted(const std::string& name)
{
    return "\"" + name + "\"";
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

std::string valueText(const TQTMStorageValue& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    return std::to_string(TQTMStorageInteger(value));
}

} // namespace

TQTMLogDBStorage::TQTMLogDBStorage()
{
    initWithSchemaVersionFilename(logsSchema(), kSchemaVersion, kFileName);
    const auto indexes = columnsIndexes(logsSchema()).at(kTable);
    idColumnIndex_ = indexes.at(kId);
    groupIdColumnIndex_ = indexes.at(kGroupId);
    logColumnIndex_ = indexes.at(kLog);
    targetTokenColumnIndex_ = indexes.at(kTargetToken);
}

TQTMStorageSchema TQTMLogDBStorage::logsSchema()
{
    return {{kTable,
             {{kId, {"INTEGER", "PRIMARY KEY", "AUTOINCREMENT"}},
              {kGroupId, {"TEXT", "NOT NULL"}},
              {kLog, {"TEXT", "NOT NULL"}},
              {kTargetToken, {"TEXT"}},
              {kTargetKey, {"TEXT"}},
              {kPriority, {"INTEGER"}}}}};
}

bool TQTMLogDBStorage::saveLogWithGroupIdFlags(const std::shared_ptr<TQTMAbstractLog>& log,
                                               const std::string& groupId, uint32_t flags)
{
    if (!log)
        return false;
    const int64_t priority = flags & 0xFF;
    const std::optional<TQTMData> archive = TQTMUtility::archiveKeyedData(log.get());
    if (!archive)
        return false;
    const std::string logText = sonvale::base64Encode(archive->data(), archive->size());

    std::vector<std::string> columns = {kGroupId, kLog};
    TQTMStorageBindableArray values;
    values.addString(groupId);
    values.addString(logText);
    // A common-schema log is sent to its target with the token kept beside it, never in clear.
    const std::optional<std::set<std::string>> tokens =
        dynamic_cast<const TQTMCommonSchemaLog*>(log.get()) ? log->transmissionTargetTokens()
                                                            : std::nullopt;
    if (tokens && !tokens->empty()) {
        const std::string& token = *tokens->begin();
        const std::optional<std::string> encrypted = targetTokenEncrypter_.encryptString(token);
        if (!encrypted)
            return false; // a token that cannot be kept safely is not kept at all
        columns.insert(columns.end(), {kTargetToken, kTargetKey});
        values.addString(encrypted);
        values.addString(TQTMUtility::targetKeyFromTargetToken(token));
    }
    columns.push_back(kPriority);
    values.addNumber(priority);

    std::vector<std::string> quotedColumns;
    std::vector<std::string> marks;
    for (const std::string& column : columns) {
        quotedColumns.push_back(quoted(column));
        marks.push_back("?");
    }
    const std::string insertQuery = "INSERT INTO " + quoted(kTable) + " (" +
                                    joined(quotedColumns, ", ") + ") VALUES (" +
                                    joined(marks, ", ") + ")";
    return executeQueryUsingBlock([&](sqlite3* db) {
               return insertLogEvictingInOpenedDatabase(logText, values, insertQuery, priority, db);
           }) == SQLITE_OK;
}

int TQTMLogDBStorage::insertLogEvictingInOpenedDatabase(const std::string& logText,
                                                        const TQTMStorageBindableArray& values,
                                                        const std::string& insertQuery,
                                                        int64_t priority, sqlite3* db)
{
    const int64_t limitInBytes = getMaxPageCountInOpenedDatabase(db) * pageSize();
    if (static_cast<int64_t>(logText.size()) >= limitInBytes) {
        TQTMLogError(kTQTMCoreLogTag, "Log is too large (" + std::to_string(logText.size()) +
                                          " bytes) to store in database. Current maximum "
                                          "database size is " +
                                          std::to_string(limitInBytes) + " bytes.");
        return SQLITE_ERROR;
    }
    int result = executeNonSelectionQueryInOpenedDatabase(insertQuery, db, &values);
    if (result == SQLITE_FULL) {
        TQTMStorageBindableArray priorityValue;
        priorityValue.addNumber(priority);
        const std::vector<TQTMStorageRow> candidates = executeSelectionQueryInOpenedDatabase(
            "SELECT " + quoted(kId) + " FROM " + quoted(kTable) + " WHERE " + quoted(kPriority) +
                " <= ? ORDER BY " + quoted(kPriority) + " ASC, " + quoted(kId) + " ASC",
            db, nullptr, &priorityValue);
        long deleted = 0;
        for (const TQTMStorageRow& candidate : candidates) {
            if (candidate.empty())
                continue;
            const int removed = deleteLogsFromDBWithColumnValuesColumnNameInOpenedDatabase(
                {candidate[0]}, kId, db);
            if (removed != SQLITE_OK) {
                result = removed;
                break;
            }
            TQTMLogDebug(kTQTMCoreLogTag, "Deleted a log with id " + valueText(candidate[0]) +
                                              " to store a new log.");
            ++deleted;
            result = executeNonSelectionQueryInOpenedDatabase(insertQuery, db, &values);
            if (result != SQLITE_FULL)
                break;
        }
        if (deleted > 0)
            TQTMLogDebug(kTQTMCoreLogTag, "Log storage was over capacity, " +
                                              std::to_string(deleted) +
                                              " oldest log(s) with equal or lower priority "
                                              "deleted.");
    }
    if (result == SQLITE_FULL)
        TQTMLogError(kTQTMCoreLogTag, "Storage is full and no logs with equal or lower priority "
                                      "exist; discarding the log.");
    else if (result == SQLITE_OK)
        TQTMLogVerbose(kTQTMCoreLogTag, "Log is stored with id: '" +
                                            std::to_string(sqlite3_last_insert_rowid(db)) + "'");
    return result;
}

bool TQTMLogDBStorage::loadLogsWithGroupIdLimitExcludedTargetKeysCompletionHandler(
    const std::string& groupId, size_t limit,
    const std::optional<std::vector<std::string>>& excludedTargetKeys,
    const TQTMLoadLogsCompletionHandler& completionHandler)
{
    std::vector<int64_t> pendingIds;
    for (const auto& [key, ids] : batches_)
        if (key.first == groupId)
            pendingIds.insert(pendingIds.end(), ids.begin(), ids.end());

    TQTMStorageBindableArray values;
    std::string condition = quoted(kGroupId) + " = ?";
    values.addString(groupId);
    if (excludedTargetKeys && !excludedTargetKeys->empty()) {
        condition += " AND " + quoted(kTargetKey) + " NOT IN " +
                     buildKeyFormatWithCount(excludedTargetKeys->size());
        values.addStringsFromArray(*excludedTargetKeys);
    }
    if (!pendingIds.empty()) {
        condition += " AND " + quoted(kId) + " NOT IN " + buildKeyFormatWithCount(pendingIds.size());
        values.addNumbersFromArray(pendingIds);
    }
    condition += " ORDER BY " + quoted(kPriority) + " DESC, " + quoted(kId) + " ASC";
    // One more than asked tells whether more wait; SQLite's "no limit" is -1.
    const bool unlimited = limit >= static_cast<size_t>(std::numeric_limits<int64_t>::max());
    condition += " LIMIT " + (unlimited ? std::string("-1") : std::to_string(limit + 1));

    std::vector<StoredLog> rows = logsWithConditionAndValues(condition, values);
    const bool moreWait = !unlimited && rows.size() > limit;
    if (moreWait)
        rows.resize(limit);

    std::optional<std::string> batchId;
    std::vector<std::shared_ptr<TQTMAbstractLog>> logs;
    if (!rows.empty()) {
        batchId = sonvale::Uuid::random().toString();
        std::vector<int64_t> ids;
        std::vector<std::string> idTexts;
        for (StoredLog& row : rows) {
            ids.push_back(row.id);
            idTexts.push_back(std::to_string(row.id));
            logs.push_back(std::move(row.log));
        }
        batches_[{groupId, *batchId}] = std::move(ids);
        TQTMLogVerbose(kTQTMCoreLogTag, "Load log(s) with id(s) '" + joined(idTexts, "','") +
                                            "' as batch Id:" + *batchId);
    }
    completionHandler(std::move(logs), batchId);
    return moreWait;
}

std::vector<TQTMLogDBStorage::StoredLog>
TQTMLogDBStorage::logsWithConditionAndValues(const std::string& condition,
                                             const TQTMStorageBindableArray& values)
{
    std::string query = "SELECT * FROM " + quoted(kTable);
    if (!condition.empty())
        query += " WHERE " + condition;
    std::vector<StoredLog> logs;
    for (const TQTMStorageRow& row : executeSelectionQuery(query, &values)) {
        if (row.size() <= targetTokenColumnIndex_)
            continue;
        const TQTMStorageValue& id = row[idColumnIndex_];
        const auto* text = std::get_if<std::string>(&row[logColumnIndex_]);
        std::shared_ptr<TQTMAbstractLog> log;
        if (text)
            log = TQTMUtility::unarchiveKeyedData<TQTMAbstractLog>(
                sonvale::base64DecodeSkippingUnknown(*text));
        if (!log) {
            TQTMLogError(kTQTMCoreLogTag,
                         "Deserialization failed for log with Id " + valueText(id));
            deleteLogsFromDBWithColumnValuesColumnName({id}, kId);
            continue;
        }
        if (const auto* token = std::get_if<std::string>(&row[targetTokenColumnIndex_])) {
            if (token->empty()) {
                TQTMLogError(kTQTMCoreLogTag,
                             "Unexpected empty target token for log with Id " + valueText(id) + ".");
            } else if (const std::optional<std::string> plain =
                           targetTokenEncrypter_.decryptString(*token)) {
                log->addTransmissionTargetToken(*plain);
            } else {
                TQTMLogError(kTQTMCoreLogTag,
                             "Failed to decrypt the target token for log with Id " +
                                 valueText(id) + ".");
            }
        }
        logs.push_back({TQTMStorageInteger(id), std::move(log)});
    }
    return logs;
}

std::vector<TQTMLogDBStorage::StoredLog>
TQTMLogDBStorage::logsFromDBWithGroupId(const std::string& groupId)
{
    TQTMStorageBindableArray values;
    values.addString(groupId);
    return logsWithConditionAndValues(quoted(kGroupId) + " = ?", values);
}

void TQTMLogDBStorage::deleteLogsWithBatchIdGroupId(const std::string& batchId,
                                                    const std::string& groupId)
{
    const auto batch = batches_.find({groupId, batchId});
    if (batch == batches_.end())
        return;
    if (!batch->second.empty()) {
        std::vector<TQTMStorageValue> ids(batch->second.begin(), batch->second.end());
        deleteLogsFromDBWithColumnValuesColumnName(ids, kId);
    }
    batches_.erase(batch);
}

std::vector<std::shared_ptr<TQTMAbstractLog>>
TQTMLogDBStorage::deleteLogsWithGroupId(const std::string& groupId)
{
    std::vector<std::shared_ptr<TQTMAbstractLog>> logs;
    for (StoredLog& stored : logsFromDBWithGroupId(groupId))
        logs.push_back(std::move(stored.log));
    deleteLogsFromDBWithColumnValuesColumnName({groupId}, kGroupId);
    std::erase_if(batches_, [&](const auto& entry) { return entry.first.first == groupId; });
    return logs;
}

uint64_t TQTMLogDBStorage::countLogs()
{
    return countEntriesForTableConditionWithValues(kTable, "", nullptr);
}

bool TQTMLogDBStorage::hasLogArchivedAs(const std::vector<uint8_t>& archive)
{
    TQTMStorageBindableArray values;
    values.addString(sonvale::base64Encode(archive.data(), archive.size()));
    return countEntriesForTableConditionWithValues(kTable, quoted(kLog) + " = ?", &values) > 0;
}

void TQTMLogDBStorage::setMaxStorageSizeCompletionHandler(int64_t sizeInBytes,
                                                          const std::function<void(bool)>& handler)
{
    TQTMDBStorage::setMaxStorageSizeCompletionHandler(sizeInBytes, handler);
}

std::string TQTMLogDBStorage::buildKeyFormatWithCount(size_t count)
{
    std::string list = "(";
    for (size_t i = 0; i < count; ++i)
        list += i == 0 ? "?" : ",?";
    return list + ")";
}

int TQTMLogDBStorage::deleteLogsFromDBWithColumnValuesColumnName(
    const std::vector<TQTMStorageValue>& values, const std::string& columnName)
{
    return executeQueryUsingBlock([&](sqlite3* db) {
        return deleteLogsFromDBWithColumnValuesColumnNameInOpenedDatabase(values, columnName, db);
    });
}

int TQTMLogDBStorage::deleteLogsFromDBWithColumnValuesColumnNameInOpenedDatabase(
    const std::vector<TQTMStorageValue>& values, const std::string& columnName, sqlite3* db)
{
    TQTMStorageBindableArray bound;
    std::vector<std::string> texts;
    for (const TQTMStorageValue& value : values) {
        if (const auto* text = std::get_if<std::string>(&value))
            bound.addString(*text);
        else
            bound.addNumber(TQTMStorageInteger(value));
        texts.push_back(valueText(value));
    }
    const int result = executeNonSelectionQueryInOpenedDatabase(
        "DELETE FROM " + quoted(kTable) + " WHERE " + quoted(columnName) + " IN " +
            buildKeyFormatWithCount(values.size()),
        db, &bound);
    const std::string trace =
        "Deletion of log(s) by " + columnName + " with value(s) '" + joined(texts, "','") + "'";
    if (result == SQLITE_OK)
        TQTMLogVerbose(kTQTMCoreLogTag, trace + " succeeded.");
    else
        TQTMLogError(kTQTMCoreLogTag, trace + " failed.");
    return result;
}

void TQTMLogDBStorage::createPriorityIndex(sqlite3* db)
{
    executeNonSelectionQueryInOpenedDatabase("CREATE INDEX \"ix_" + std::string(kTable) + "_" +
                                                 kPriority + "\" ON " + quoted(kTable) + " (" +
                                                 quoted(kPriority) + ")",
                                             db);
}

void TQTMLogDBStorage::customizeDatabase(sqlite3* db)
{
    createPriorityIndex(db);
}

void TQTMLogDBStorage::migrateDatabaseFromVersion(sqlite3* db, uint64_t)
{
    // Logs of an older layout cannot be read: they are dropped with their table.
    executeNonSelectionQueryInOpenedDatabase("DROP TABLE IF EXISTS " + quoted(kTable) + ";", db);
    createTablesWithSchemaInOpenedDatabase(logsSchema(), db);
    createPriorityIndex(db);
}
