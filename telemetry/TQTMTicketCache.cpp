#include "telemetry/TQTMTicketCache.h"

TQTMTicketCache& TQTMTicketCache::sharedInstance()
{
    static TQTMTicketCache cache;
    return cache;
}

std::optional<std::string> TQTMTicketCache::ticketFor(const std::string& key) const
{
    std::lock_guard lock(mutex_);
    const auto found = tickets_.find(key);
    return found == tickets_.end() ? std::nullopt : std::optional(found->second);
}

void TQTMTicketCache::setTicketForKey(const std::string& ticket, const std::string& key)
{
    std::lock_guard lock(mutex_);
    tickets_[key] = ticket;
}

void TQTMTicketCache::clearCache()
{
    std::lock_guard lock(mutex_);
    tickets_.clear();
}
