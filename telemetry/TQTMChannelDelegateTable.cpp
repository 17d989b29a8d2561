#include "telemetry/TQTMChannelDelegateTable.h"

#include <algorithm>

void TQTMChannelDelegateTable::add(const std::shared_ptr<TQTMChannelDelegate>& delegate)
{
    if (!delegate)
        return;
    std::lock_guard lock(mutex_);
    std::erase_if(delegates_, [](const auto& weak) { return weak.expired(); });
    const bool known = std::any_of(delegates_.begin(), delegates_.end(),
                                   [&](const auto& weak) { return weak.lock() == delegate; });
    if (!known)
        delegates_.push_back(delegate);
}

void TQTMChannelDelegateTable::remove(const std::shared_ptr<TQTMChannelDelegate>& delegate)
{
    std::lock_guard lock(mutex_);
    std::erase_if(delegates_, [&](const auto& weak) {
        const auto held = weak.lock();
        return !held || held == delegate;
    });
}

std::vector<std::shared_ptr<TQTMChannelDelegate>> TQTMChannelDelegateTable::snapshot() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<TQTMChannelDelegate>> alive;
    for (const auto& weak : delegates_)
        if (auto delegate = weak.lock())
            alive.push_back(std::move(delegate));
    return alive;
}
