// Crash path: everything here runs inside a signal handler. No allocation, no lock, no stdio; the
// lists are read under their atomic reader counts only.

#include "crashcapture/TQCrashSignalChain.h"

#include "platform/darwin/MachExceptionDelivery.h"

#include <cerrno>

namespace tqcrash::async {

namespace {

constinit never_destroyed<signal_callback_list> gCallbacks;
constinit never_destroyed<previous_action_list> gPreviousActions;

bool previousAction(int signal, struct sigaction* action) {
    previous_action_list& list = gPreviousActions.value;
    bool found = false;
    list.set_reading(true);
    for (auto* node = list.next(nullptr); node != nullptr; node = list.next(node)) {
        if (node->value.signal == signal) {
            *action = node->value.action;
            found = true;
            break;
        }
    }
    list.set_reading(false);
    return found;
}

} // namespace

signal_callback_list& signal_callbacks() {
    return gCallbacks.value;
}

previous_action_list& previous_actions() {
    return gPreviousActions.value;
}

void crash_signal_entry(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    if (!signal_chain_dispatch(signal, info, static_cast<ucontext_t*>(context), nullptr)) {
        // Nobody handled it: die by the default action. Without the reset, a fault would come back
        // to this handler for ever and a raised signal would be delivered to it again.
        struct sigaction defaultAction {};
        defaultAction.sa_handler = SIG_DFL;
        sigemptyset(&defaultAction.sa_mask);
        sigaction(signal, &defaultAction, nullptr);
        raise(signal);
    }
    errno = savedErrno;
}

bool signal_chain_dispatch(int signal, siginfo_t* info, ucontext_t* context,
                           const signal_handler_continuation* from) {
    signal_callback_list& list = gCallbacks.value;
    list.set_reading(true);
    const auto* current = list.next(
        from == nullptr ? nullptr : static_cast<const signal_callback_list::node*>(from->node));
    bool handled = false;
    if (current != nullptr) {
        const signal_handler_continuation next{signal_chain_dispatch, current};
        handled = current->value.callback(signal, info, context, current->value.context,
                                          list.next(current) != nullptr ? &next : nullptr);
    }
    list.set_reading(false);
    return handled;
}

bool signal_previous_action_forward(int signal, siginfo_t* info, ucontext_t* context, void*,
                                    const signal_handler_continuation* next) {
    if (next != nullptr && (*next)(signal, info, context)) {
        return true;
    }
    struct sigaction action {};
    if (!previousAction(signal, &action)) {
        return false;
    }
    if ((action.sa_flags & SA_SIGINFO) != 0) {
        action.sa_sigaction(signal, info, context);
        return true;
    }
    if (action.sa_handler == SIG_IGN) {
        // Ignoring a fault the processor raised would only run the faulting instruction again, for
        // ever: such a fault is not handled by an ignore. A signal that was sent is.
        return !sonvale::darwin::signal_is_processor_fault(signal, info);
    }
    if (action.sa_handler == SIG_DFL) {
        return false;
    }
    action.sa_handler(signal);
    return true;
}

} // namespace tqcrash::async
