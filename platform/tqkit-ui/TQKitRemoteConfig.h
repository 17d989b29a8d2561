#pragma once

// Loads the application parameters once per launch. Without an update feed (SONVALE_UPDATE_URL
// unset) the parameters file is read at once. With one, the feed is fetched on a worker thread and
// the parameters are loaded on the main thread when it has answered (or failed, or timed out):
// the observers of TQKitRemoteParams then run on the main thread as they do without a feed.
// Main thread.
void TQKitRemoteConfigLoad();
