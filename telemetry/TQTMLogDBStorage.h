#pragma once

#include "telemetry/TQTMDBStorage.h"
#include "telemetry/TQTMEncrypter.h"
#include "telemetry/TQTMStorage.h"

#include <map>
#include <utility>

// The persistent queue of the telemetry client: every accepted log is kept in "Logs.sqlite" with
// its channel group and priority until the ingestion has taken its batch. Loaded batches stay
// pending in memory (so no log goes into two batches at once) until they are deleted; after a
// restart every stored log is loadable again. When the file reaches its size limit, the oldest
// logs of equal or lower priority make room for a new one. A common-schema log keeps one of its
// target tokens beside it, encrypted, with the token's target key in plain text.
//
// Not thread-safe: constructed and used on the channel group's serial queue.
class TQTMLogDBStorage final : public TQTMDBStorage, public TQTMStorage {
public:
    static constexpr uint64_t kSchemaVersion = 5;
    static constexpr const char* kFileName = "Logs.sqlite";

    TQTMLogDBStorage();

    bool saveLogWithGroupIdFlags(const std::shared_ptr<TQTMAbstractLog>& log,
                                 const std::string& groupId, uint32_t flags) override;
    uint64_t countLogs() override;
    bool hasLogArchivedAs(const std::vector<uint8_t>& archive) override;
    std::vector<std::shared_ptr<TQTMAbstractLog>>
    deleteLogsWithGroupId(const std::string& groupId) override;
    void deleteLogsWithBatchIdGroupId(const std::string& batchId,
                                      const std::string& groupId) override;
    bool loadLogsWithGroupIdLimitExcludedTargetKeysCompletionHandler(
        const std::string& groupId, size_t limit,
        const std::optional<std::vector<std::string>>& excludedTargetKeys,
        const TQTMLoadLogsCompletionHandler& completionHandler) override;
    void setMaxStorageSizeCompletionHandler(int64_t sizeInBytes,
                                            const std::function<void(bool)>& handler) override;

    // The placeholder list "(?,?,?)" for `count` values.
    static std::string buildKeyFormatWithCount(size_t count);

protected:
    void customizeDatabase(sqlite3* db) override;
    void migrateDatabaseFromVersion(sqlite3* db, uint64_t version) override;

private:
    struct StoredLog {
        int64_t id;
        std::shared_ptr<TQTMAbstractLog> log;
    };

    static TQTMStorageSchema logsSchema();
    static void createPriorityIndex(sqlite3* db);
    // Rows of "logs" matching the condition, oldest decoding first; rows that no longer decode
    // are deleted and left out.
    std::vector<StoredLog> logsWithConditionAndValues(const std::string& condition,
                                                      const TQTMStorageBindableArray& values);
    std::vector<StoredLog> logsFromDBWithGroupId(const std::string& groupId);
    int deleteLogsFromDBWithColumnValuesColumnName(const std::vector<TQTMStorageValue>& values,
                                                   const std::string& columnName);
    static int deleteLogsFromDBWithColumnValuesColumnNameInOpenedDatabase(
        const std::vector<TQTMStorageValue>& values, const std::string& columnName, sqlite3* db);
    // The insertion with eviction, on the open connection.
    int insertLogEvictingInOpenedDatabase(const std::string& logText,
                                          const TQTMStorageBindableArray& values,
                                          const std::string& insertQuery, int64_t priority,
                                          sqlite3* db);

    // Pending batches by group id and batch id (matched exactly): their row ids in order.
    std::map<std::pair<std::string, std::string>, std::vector<int64_t>> batches_;
    size_t idColumnIndex_ = 0;
    size_t groupIdColumnIndex_ = 0;
    size_t logColumnIndex_ = 0;
    size_t targetTokenColumnIndex_ = 0;
    TQTMEncrypter targetTokenEncrypter_;
};
