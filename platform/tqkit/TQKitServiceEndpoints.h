#pragma once

// Where the application's own web services are. Each address comes from the environment, so that
// a packager or a test points it at another server; an unset or empty variable means the service
// is not used (nothing is fetched or sent). Any thread.
//
//   SONVALE_UPDATE_URL  the update feed: a JSON object of application parameters (see
//                       TQKitRemoteParams), read once per launch together with params.json
//   SONVALE_USAGE_URL   where batches of usage events are posted

#include <string>

std::string TQKitUpdateFeedURL();
std::string TQKitUsageStatsURL();
