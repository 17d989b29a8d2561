#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TQTMAbstractLog;

// One batch of logs as posted to the ingestion: {"logs": [...]}. The batch id names the batch
// for the channel and the ingestion and is not part of the JSON. Used by one thread at a time.
class TQTMLogContainer final {
public:
    TQTMLogContainer() = default;
    TQTMLogContainer(std::optional<std::string> batchId,
                     std::vector<std::shared_ptr<TQTMAbstractLog>> logs);

    const std::optional<std::string>& batchId() const { return batchId_; }
    void setBatchId(std::optional<std::string> batchId) { batchId_ = std::move(batchId); }
    const std::vector<std::shared_ptr<TQTMAbstractLog>>& logs() const { return logs_; }
    void setLogs(std::vector<std::shared_ptr<TQTMAbstractLog>> logs) { logs_ = std::move(logs); }

    std::optional<std::string> serializeLog() const;
    std::optional<std::string> serializeLogWithPrettyPrinting(bool prettyPrint) const;
    // Needs at least one log, and every log valid (asked in order, up to the first invalid one).
    bool isValid() const;

private:
    std::optional<std::string> batchId_;
    std::vector<std::shared_ptr<TQTMAbstractLog>> logs_;
};
