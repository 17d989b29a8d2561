#include "lifecycle/TQNetworkWait.h"

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(500);
constexpr int kStepsPerRound = 6;

} // namespace

bool TQWaitForNetwork(const std::function<bool()>& isReachable,
                      const std::function<void(std::chrono::milliseconds duration)>& sleep,
                      const std::function<bool()>& shouldStop)
{
    if (isReachable())
        return true;
    auto waitRound = [&] {
        for (int step = 0; step < kStepsPerRound; ++step) {
            if (shouldStop())
                return false;
            sleep(kPollInterval);
            if (shouldStop())
                return false;
        }
        return true;
    };
    do {
        if (!waitRound())
            return false;
    } while (!isReachable());
    return waitRound();
}
