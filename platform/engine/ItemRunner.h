#pragma once

#include <atomic>
#include <functional>

#include "platform/engine/ItemJob.h"

namespace sonvale::engine {

// Carries out one item's job: in a conversion-service process (ServiceItemRunner) or on the
// calling thread (InProcessItemRunner). The converter calls run() from several worker threads at
// once. run() returns within a moment of `stop` being set, with a failed outcome and no output.
class ItemRunner {
public:
    // The item status of the running pass (2, 3 or 4) and how far it has got.
    using Progress = std::function<void(int itemStatus, double fraction)>;

    virtual ~ItemRunner() = default;
    virtual ItemOutcome run(const ItemJob& job, const std::atomic<bool>& stop, const Progress& progress) = 0;
    // The converter has run out of work: processes kept for the next item may end.
    virtual void releaseIdleServices() {}
    // Conversions running right now: live service processes, or jobs on threads.
    int activeConversions() const { return active_.load(); }

protected:
    // Counts one running conversion for as long as it lives.
    class ActiveConversion final {
    public:
        explicit ActiveConversion(ItemRunner& runner) : runner_(runner) { ++runner_.active_; }
        ~ActiveConversion() { --runner_.active_; }
        ActiveConversion(const ActiveConversion&) = delete;
        ActiveConversion& operator=(const ActiveConversion&) = delete;

    private:
        ItemRunner& runner_;
    };

private:
    std::atomic<int> active_{0};
};

class InProcessItemRunner final : public ItemRunner {
public:
    ItemOutcome run(const ItemJob& job, const std::atomic<bool>& stop, const Progress& progress) override;
};

} // namespace sonvale::engine
