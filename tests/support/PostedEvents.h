#pragma once

// Collects the usage events the application posts while the object lives (for tests that check
// which commands count as usage). Header-only: tests that use it link the lifecycle library.

#include "lifecycle/TQAnalytics.h"

#include <mutex>
#include <string>
#include <vector>

namespace sonvale::test {

class PostedEvents final {
public:
    PostedEvents()
        : id_(TQAnalyticsAddListener([this](const std::string& name) {
              std::lock_guard lock(mutex_);
              names_.push_back(name);
          }))
    {
    }
    ~PostedEvents() { TQAnalyticsRemoveListener(id_); }
    PostedEvents(const PostedEvents&) = delete;
    PostedEvents& operator=(const PostedEvents&) = delete;

    std::vector<std::string> names() const
    {
        std::lock_guard lock(mutex_);
        return names_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> names_;
    uint64_t id_;
};

} // namespace sonvale::test
