// A process with the telemetry client and the Crashes service, for the end-to-end tests. It sends
// to the loopback server at URL and runs until it is killed, or crashes as told:
//
//   crashes_test_child URL run
//   crashes_test_child URL crash-after-logs
//
// "crash-after-logs" enqueues an attachment log; once the store has it, on the channel group's
// queue, it enqueues three logs (properties {"mark": "before-crash-N"}) and at once writes to
// address 0x1234. The three logs are thus prepared, and buffered, but never stored.

#include "crashes/TQTMCrashes.h"
#include "crashes/TQTMErrorAttachmentLog.h"
#include "telemetry/TQTMChannelDelegate.h"
#include "telemetry/TQTMChannelGroupDefault.h"
#include "telemetry/TQTMLogWithProperties.h"
#include "telemetry/TQTMTelemetry.h"

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr const char* kSecret = "0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d";

class CrashOnceTheTriggerIsStored final : public TQTMChannelDelegate {
public:
    void channelDidCompleteEnqueueingLogInternalId(TQTMChannelProtocol&,
                                                   const std::shared_ptr<TQTMAbstractLog>& log,
                                                   const std::string&) override
    {
        if (log->type() != TQTMErrorAttachmentLog::kType)
            return;
        for (int n = 1; n <= 3; ++n) {
            auto marked = std::make_shared<TQTMLogWithProperties>();
            marked->setType("event");
            marked->setProperties(
                TQTMLogWithProperties::Properties{{"mark", "before-crash-" + std::to_string(n)}});
            TQTMTelemetry::sharedInstance().channelUnit()->enqueueItemFlags(marked, 1);
        }
        *reinterpret_cast<volatile int*>(uintptr_t{0x1234}) = 1;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    TQTMTelemetry::setLogHandler({}); // quiet: its standard error is the test's
    TQTMTelemetry::setLogUrl(argv[1]);
    TQTMTelemetry::start(kSecret, TQTMServiceList{TQTMCrashes::sharedInstance()});
    // Delegates are held weakly: this one lives as long as the process.
    const auto crasher = std::make_shared<CrashOnceTheTriggerIsStored>();
    if (std::strcmp(argv[2], "crash-after-logs") == 0) {
        TQTMTelemetry::sharedInstance().channelGroup()->addDelegate(crasher);
        auto trigger = TQTMErrorAttachmentLog::attachmentWithTextFilename("trigger", "trigger.txt");
        trigger->setErrorId("trigger");
        TQTMCrashes::sharedInstance()->channelUnit()->enqueueItemFlags(trigger, 1);
    }
    for (;;)
        ::pause();
}
