#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "platform/engine/ItemRunner.h"

namespace sonvale::engine {

// Runs each item in its own `sonvale-convert-service` process, so that a decoder that crashes or
// hangs on a hostile file fails that item alone, and stop is immediate (the process is killed).
// Instances are numbered from 1, the lowest free number first.
//
// Protocol: the job goes to the service's standard input as one JSON text; the service answers on
// its standard output with lines "progress <fraction>" and one final "outcome <json>". A service
// that ends without an outcome failed; its partial output is removed here.
class ServiceItemRunner final : public ItemRunner {
public:
    explicit ServiceItemRunner(std::string servicePath,
                               std::chrono::seconds silenceLimit = std::chrono::seconds(120));

    ItemOutcome run(const ItemJob& job, const std::atomic<bool>& stop, const Progress& progress) override;

    // The service next to the running executable.
    static std::string defaultServicePath();

private:
    int claimInstance();
    void releaseInstance(int instance);

    const std::string servicePath_;
    const std::chrono::seconds silenceLimit_;
    std::mutex mutex_;
    std::vector<bool> instancesInUse_;
};

} // namespace sonvale::engine
