#pragma once

#include "telemetry/TQTMHistoryInfo.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUtility.h"

#include <memory>
#include <string>
#include <vector>

// A history of timestamped entries (oldest first) kept as a keyed archive under one key of the
// telemetry defaults. It holds at most `capacity` entries: appending beyond drops the oldest, so a
// history cannot grow without end across launches. Not thread-safe; its owner locks.
template <class Info>
class TQTMHistoryStore final {
public:
    TQTMHistoryStore(std::shared_ptr<TQTMTelemetryUserDefaults> defaults, std::string key,
                     size_t capacity)
        : defaults_(std::move(defaults)), key_(std::move(key)), capacity_(capacity)
    {}

    // Reads the stored entries; a damaged or unreadable archive counts as an empty history, and
    // entries without a timestamp are left out.
    void load()
    {
        entries_.clear();
        const std::optional<nlohmann::json> stored = defaults_->objectForKey(key_);
        if (!stored || !stored->is_binary())
            return;
        const TQTMData data(stored->get_binary().begin(), stored->get_binary().end());
        for (auto& entry : TQTMUtility::unarchiveKeyedArray<Info>(data).value_or(Entries{}))
            if (entry && entry->timestamp())
                entries_.push_back(std::move(entry));
        dropOldestBeyondCapacity();
    }

    void store() const
    {
        const std::optional<TQTMData> data = TQTMUtility::archiveKeyedArray(entries_);
        defaults_->setObjectForKey(data ? nlohmann::json::binary(*data) : nlohmann::json(), key_);
    }

    using Entries = std::vector<std::shared_ptr<Info>>;
    Entries& entries() { return entries_; }
    const Entries& entries() const { return entries_; }

    void append(std::shared_ptr<Info> entry)
    {
        entries_.push_back(std::move(entry));
        dropOldestBeyondCapacity();
    }

    void removeLast()
    {
        if (!entries_.empty())
            entries_.pop_back();
    }

    // The newest entry stamped strictly earlier than `date`, or null.
    std::shared_ptr<Info> newestBefore(sonvale::TimePoint date) const
    {
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
            if ((*it)->timestamp() && *(*it)->timestamp() < date)
                return *it;
        return nullptr;
    }

private:
    void dropOldestBeyondCapacity()
    {
        if (entries_.size() > capacity_)
            entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(
                                                                    entries_.size() - capacity_));
    }

    std::shared_ptr<TQTMTelemetryUserDefaults> defaults_;
    std::string key_;
    size_t capacity_;
    Entries entries_;
};
