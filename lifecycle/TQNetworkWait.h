#pragma once

// The wait of the application's background senders and fetchers for the network: while it cannot
// be reached, rounds of six 0.5-s sleeps; once it can, one more round, so that a connection that
// has only just come back can settle. Runs on the caller's (worker) thread.

#include <chrono>
#include <functional>

// True once the network is back (or was never gone); false as soon as `shouldStop` answers true.
bool TQWaitForNetwork(const std::function<bool()>& isReachable,
                      const std::function<void(std::chrono::milliseconds duration)>& sleep,
                      const std::function<bool()>& shouldStop);
