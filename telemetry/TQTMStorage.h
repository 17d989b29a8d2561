#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TQTMAbstractLog;

using TQTMLoadLogsCompletionHandler = std::function<void(
    std::vector<std::shared_ptr<TQTMAbstractLog>> logs, std::optional<std::string> batchId)>;

// What the channels see of the persistent log queue.
class TQTMStorage {
public:
    virtual ~TQTMStorage() = default;

    // Stores the log under the group; the low eight bits of the flags are its priority.
    virtual bool saveLogWithGroupIdFlags(const std::shared_ptr<TQTMAbstractLog>& log,
                                         const std::string& groupId, uint32_t flags) = 0;
    virtual uint64_t countLogs() = 0;
    // Whether a stored log, of any group, was archived to exactly these bytes (the keyed archive
    // that saving writes).
    virtual bool hasLogArchivedAs(const std::vector<uint8_t>& archive) = 0;
    // Deletes the group's logs and forgets its pending batches; the logs as read before.
    virtual std::vector<std::shared_ptr<TQTMAbstractLog>>
    deleteLogsWithGroupId(const std::string& groupId) = 0;
    virtual void deleteLogsWithBatchIdGroupId(const std::string& batchId,
                                              const std::string& groupId) = 0;
    // Hands up to `limit` logs of the group that are in no pending batch to the handler, with a
    // new batch id (nothing when none was found), before returning; true when more wait.
    virtual bool loadLogsWithGroupIdLimitExcludedTargetKeysCompletionHandler(
        const std::string& groupId, size_t limit,
        const std::optional<std::vector<std::string>>& excludedTargetKeys,
        const TQTMLoadLogsCompletionHandler& completionHandler) = 0;
    virtual void setMaxStorageSizeCompletionHandler(int64_t sizeInBytes,
                                                    const std::function<void(bool)>& handler) = 0;
};
