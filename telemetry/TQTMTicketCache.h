#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

// Authentication tickets by ticket key, attached by the one-collector ingestion as a header.
// Nothing in this program sets one. Safe from any thread.
class TQTMTicketCache final {
public:
    static TQTMTicketCache& sharedInstance();

    std::optional<std::string> ticketFor(const std::string& key) const;
    void setTicketForKey(const std::string& ticket, const std::string& key);
    void clearCache();

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::string> tickets_;
};
