#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/engine/ItemRunner.h"
#include "platform/engine/ServiceHost.h"

namespace sonvale::engine {

// Runs items in `sonvale-convert-service` processes forked by the service host, so that a decoder
// that crashes or hangs on a hostile file fails that item alone (its service is discarded and the
// next item gets a new one), and stop is immediate (the service is killed). A service converts
// items one after another, up to kItemsPerService, and is kept between items while the converter
// has work; instances are numbered from 1, the lowest free number first.
//
// Each job goes to the service's standard input as one JSON line; the service answers on its
// standard output with lines "progress <status> <fraction>" and one "outcome <json>" per job, and
// the host adds "ended <wait status>" when the service is gone. A service that ends without an
// outcome failed its item; the partial output is removed here.
class ServiceItemRunner final : public ItemRunner {
public:
    explicit ServiceItemRunner(std::string servicePath,
                               std::chrono::seconds silenceLimit = std::chrono::seconds(120));
    ~ServiceItemRunner() override;

    ItemOutcome run(const ItemJob& job, const std::atomic<bool>& stop, const Progress& progress) override;
    void releaseIdleServices() override;

    // The service next to the running executable.
    static std::string defaultServicePath();

    // Forking a fresh service costs about a millisecond; serving many items from one would let a
    // slow leak or a damaged heap of one item reach many more.
    static constexpr int kItemsPerService = 64;

private:
    struct Service;

    std::unique_ptr<Service> takeService();
    void keepService(std::unique_ptr<Service> service);
    int claimInstance();
    void releaseInstance(int instance);

    const std::chrono::seconds silenceLimit_;
    ServiceHost host_;
    std::atomic<uint64_t> nextServiceId_{1};
    std::mutex mutex_;
    std::vector<bool> instancesInUse_;
    std::vector<std::unique_ptr<Service>> idle_;
};

} // namespace sonvale::engine
