#include "crashcapture/TQCrashSignalHandler.h"

#include "crashcapture/TQCrashThreadSignalStack.h"

#include <cerrno>

namespace tqcrash {

std::mutex TQCrashSignalHandler::registrationMutex_;

TQCrashSignalHandler& TQCrashSignalHandler::sharedHandler() {
    static TQCrashSignalHandler shared;
    return shared;
}

void TQCrashSignalHandler::resetHandlers() {
    std::lock_guard guard(registrationMutex_);
    async::previous_actions().remove_all();
    async::signal_callbacks().remove_all();
}

bool TQCrashSignalHandler::registerHandlerWithSignalError(int signal, TQCrashReporterError* error) {
    std::lock_guard guard(registrationMutex_);
    if (const int stackError = TQCrashThreadSignalStack::installForCurrentThread(); stackError != 0) {
        crash_error_populate_posix(error, stackError, "Could not initialize alternative signal stack");
        return false;
    }
    TQCrashThreadSignalStack::coverAllThreads();

    async::signal_callbacks().append({async::signal_previous_action_forward, nullptr});

    async::previous_action_list& previous = async::previous_actions();
    bool installed = false;
    previous.set_reading(true);
    for (auto* node = previous.next(nullptr); node != nullptr && !installed; node = previous.next(node)) {
        installed = node->value.signal == signal;
    }
    previous.set_reading(false);
    if (installed) {
        return true;
    }

    struct sigaction action {};
    action.sa_sigaction = async::crash_signal_entry;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    async::previous_action_entry saved{signal, {}};
    if (sigaction(signal, &action, &saved.action) != 0) {
        crash_error_populate_posix(error, errno, "Failed to register signal handler");
        return false;
    }
    previous.append(saved);
    return true;
}

bool TQCrashSignalHandler::registerHandlerForSignalCallbackContextError(int signal,
                                                                        async::signal_callback callback,
                                                                        void* context,
                                                                        TQCrashReporterError* error) {
    if (!registerHandlerWithSignalError(signal, error)) {
        return false;
    }
    std::lock_guard guard(registrationMutex_);
    async::signal_callbacks().prepend({callback, context});
    return true;
}

} // namespace tqcrash
