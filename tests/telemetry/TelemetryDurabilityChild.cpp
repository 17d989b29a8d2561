// A process that stores logs as fast as it can until it is killed: the client is started on a
// clock that never moves and a URL where nothing listens, so nothing leaves the store. Each log
// carries its number as its service name; the number is written to standard output once the
// store has taken the log.

#include "platform/system/FakeClock.h"
#include "telemetry/TQTMChannelDelegate.h"
#include "telemetry/TQTMChannelGroupDefault.h"
#include "telemetry/TQTMDependencyConfiguration.h"
#include "telemetry/TQTMStartServiceLog.h"
#include "telemetry/TQTMTelemetry.h"

#include <unistd.h>

#include <string>

namespace {

class ReportStored final : public TQTMChannelDelegate {
public:
    void channelDidCompleteEnqueueingLogInternalId(TQTMChannelProtocol&,
                                                   const std::shared_ptr<TQTMAbstractLog>& log,
                                                   const std::string&) override
    {
        const auto& services = static_cast<TQTMStartServiceLog&>(*log).services();
        const std::string line = services->front() + "\n";
        [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, line.data(), line.size());
    }
};

} // namespace

int main()
{
    TQTMTelemetry::setLogHandler({}); // quiet: its standard error is the test's
    sonvale::FakeClock clock;
    TQTMDependencyConfiguration::setClock(&clock);
    TQTMTelemetry::setLogUrl("http://127.0.0.1:9");
    TQTMTelemetry::start("0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d", TQTMServiceList{});
    auto& telemetry = TQTMTelemetry::sharedInstance();
    auto reporter = std::make_shared<ReportStored>();
    telemetry.channelGroup()->addDelegate(reporter);
    const std::string prefix = "m" + std::to_string(::getpid()) + "-";
    for (uint64_t i = 0;; ++i) {
        auto log = std::make_shared<TQTMStartServiceLog>();
        log->setServices(std::vector<std::string>{prefix + std::to_string(i)});
        telemetry.channelUnit()->enqueueItemFlags(log, 1);
        if (i % 20 == 19)
            ::usleep(1000); // lets the store keep up, so kills land at every step of a save
    }
}
