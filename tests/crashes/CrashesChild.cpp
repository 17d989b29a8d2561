// A process with the telemetry client and the Crashes service, for the end-to-end tests. It sends
// to the loopback server at URL and runs until it is killed, or crashes as told:
//
//   crashes_test_child URL run
//   crashes_test_child URL crash-after-logs
//   crashes_test_child URL crash-after-store
//   crashes_test_child URL uncaught-exception
//   crashes_test_child URL application-exception
//
// "crash-after-logs" enqueues an attachment log; once the store has it, on the channel group's
// queue, it enqueues three logs (properties {"mark": "before-crash-N"}) and at once writes to
// address 0x1234. The three logs are thus prepared, and buffered, but never stored.
// "crash-after-store" enqueues one log (properties {"mark": "stored-before-crash"}) and writes to
// address 0x1234 as soon as the store has it, before the Crashes service hears of it: the log is
// both stored and still in the crash log buffer.
// "uncaught-exception" throws a std::runtime_error that nobody catches. "application-exception"
// asks the application to crash on exceptions, then an event handler raises one of ours.

#include "crashes/TQTMApplicationForwarder.h"
#include "crashes/TQTMCrashes.h"
#include "crashes/TQTMErrorAttachmentLog.h"
#include "telemetry/TQTMChannelDelegate.h"
#include "telemetry/TQTMChannelGroupDefault.h"
#include "telemetry/TQTMLogWithProperties.h"
#include "telemetry/TQTMLogsDispatchQueue.h"
#include "platform/system/Exception.h"
#include "platform/system/UserDefaults.h"
#include "telemetry/TQTMTelemetry.h"

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
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

// Called before the Crashes service, which frees the log's buffer slot only after this.
class CrashOnceTheMarkIsStored final : public TQTMChannelDelegate {
public:
    void channelDidCompleteEnqueueingLogInternalId(TQTMChannelProtocol&,
                                                   const std::shared_ptr<TQTMAbstractLog>& log,
                                                   const std::string&) override
    {
        const auto marked = std::dynamic_pointer_cast<TQTMLogWithProperties>(log);
        if (!marked || !marked->properties() || !marked->properties()->contains("mark"))
            return;
        *reinterpret_cast<volatile int*>(uintptr_t{0x1234}) = 1;
    }
};

[[gnu::noinline]] void convertWithoutSpace() { throw std::runtime_error("no space left for the output"); }

bool raiseInEventHandler() { throw sonvale::Exception("TQConversionException", "raised in an event handler"); }

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    TQTMTelemetry::setLogHandler({}); // quiet: its standard error is the test's
    TQTMTelemetry::setLogUrl(argv[1]);
    if (std::strcmp(argv[2], "application-exception") == 0 &&
        !sonvale::UserDefaults(sonvale::UserDefaults::standardPath())
             .setObjectForKey(true, TQTMApplicationForwarder::kCrashOnExceptionsKey))
        return 3;
    TQTMTelemetry::start(kSecret, TQTMServiceList{TQTMCrashes::sharedInstance()});
    // Delegates are held weakly: this one lives as long as the process.
    const auto crasher = std::make_shared<CrashOnceTheTriggerIsStored>();
    if (std::strcmp(argv[2], "crash-after-logs") == 0) {
        TQTMTelemetry::sharedInstance().channelGroup()->addDelegate(crasher);
        auto trigger = TQTMErrorAttachmentLog::attachmentWithTextFilename("trigger", "trigger.txt");
        trigger->setErrorId("trigger");
        TQTMCrashes::sharedInstance()->channelUnit()->enqueueItemFlags(trigger, 1);
    }
    const auto storeCrasher = std::make_shared<CrashOnceTheMarkIsStored>();
    if (std::strcmp(argv[2], "crash-after-store") == 0) {
        // The start's own logs are stored first, with the service listening; then the crasher goes
        // ahead of the service.
        const auto group = TQTMTelemetry::sharedInstance().channelGroup();
        group->logsDispatchQueue()->sync([] {});
        group->removeDelegate(TQTMCrashes::sharedInstance());
        group->addDelegate(storeCrasher);
        group->addDelegate(TQTMCrashes::sharedInstance());
        auto marked = std::make_shared<TQTMLogWithProperties>();
        marked->setType("event");
        marked->setProperties(TQTMLogWithProperties::Properties{{"mark", "stored-before-crash"}});
        TQTMTelemetry::sharedInstance().channelUnit()->enqueueItemFlags(marked, 1);
    }
    if (std::strcmp(argv[2], "uncaught-exception") == 0)
        convertWithoutSpace();
    if (std::strcmp(argv[2], "application-exception") == 0)
        TQTMApplicationForwarder::sendEventReplacement(raiseInEventHandler, [](const sonvale::Exception&) {});
    for (;;)
        ::pause();
}
