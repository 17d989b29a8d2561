#include "platform/tqkit/TQKitServiceEndpoints.h"

#include <cstdlib>

namespace {

std::string environmentText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string TQKitUpdateFeedURL() { return environmentText("SONVALE_UPDATE_URL"); }

std::string TQKitUsageStatsURL() { return environmentText("SONVALE_USAGE_URL"); }
