#pragma once

#include <optional>
#include <string>
#include <utility>

namespace tqcrash {

// The application that crashed. Immutable.
class TQCrashReportApplicationInfo final {
public:
    TQCrashReportApplicationInfo(std::string applicationIdentifier, std::string applicationVersion,
                                 std::optional<std::string> applicationMarketingVersion)
        : applicationIdentifier_(std::move(applicationIdentifier)),
          applicationVersion_(std::move(applicationVersion)),
          applicationMarketingVersion_(std::move(applicationMarketingVersion)) {}

    const std::string& applicationIdentifier() const { return applicationIdentifier_; }
    const std::string& applicationVersion() const { return applicationVersion_; }
    const std::optional<std::string>& applicationMarketingVersion() const { return applicationMarketingVersion_; }

private:
    std::string applicationIdentifier_;
    std::string applicationVersion_;
    std::optional<std::string> applicationMarketingVersion_;
};

} // namespace tqcrash
