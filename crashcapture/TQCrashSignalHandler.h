#pragma once

#include "crashcapture/TQCrashReporterError.h"
#include "crashcapture/TQCrashSignalChain.h"

#include <mutex>

namespace tqcrash {

// Installs one process-wide handler per requested signal and turns each delivered signal into a
// walk along the callback chain: callbacks registered here, newest first, then forwarders to the
// actions that were installed before ours. A signal that no member handles is re-raised with its
// default action, so the process ends.
//
// Registration runs on normal threads, serialised by one mutex. Delivery runs on the crashing
// thread's own alternate stack; every thread started after the first registration gets one.
class TQCrashSignalHandler final {
public:
    static TQCrashSignalHandler& sharedHandler();

    // Empties the chain and the saved actions; installed actions stay pointed at our entry, which
    // then finds no callback and re-raises.
    static void resetHandlers();

    // Installs our handler for `signal` (once per signal) and appends one forwarder to the chain
    // (on every call). False with an error of code 1 when the signal stack or sigaction fails.
    bool registerHandlerWithSignalError(int signal, TQCrashReporterError* error);

    // As above, then puts `callback` with its context at the head of the chain.
    bool registerHandlerForSignalCallbackContextError(int signal, async::signal_callback callback,
                                                      void* context, TQCrashReporterError* error);

    TQCrashSignalHandler(const TQCrashSignalHandler&) = delete;
    TQCrashSignalHandler& operator=(const TQCrashSignalHandler&) = delete;

private:
    TQCrashSignalHandler() = default;

    static std::mutex registrationMutex_;
};

} // namespace tqcrash
