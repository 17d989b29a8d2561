#pragma once

// The process-wide callback chain behind TQCrashSignalHandler: what the registration fills on a
// normal thread and what the signal entry walks without a lock while a thread crashes.

#include "crashcapture/TQCrashAsyncList.h"

#include <signal.h>

namespace tqcrash::async {

struct signal_handler_continuation;

// A chain member: true when it handled the signal. `next` runs the rest of the chain; it is null
// for the last member.
using signal_callback = bool (*)(int signal, siginfo_t* info, ucontext_t* context, void* callbackContext,
                                 const signal_handler_continuation* next);

struct signal_handler_continuation {
    bool (*dispatch)(int signal, siginfo_t* info, ucontext_t* context,
                     const signal_handler_continuation* from);
    const void* node; // the member that was running; dispatch goes on after it

    bool operator()(int signal, siginfo_t* info, ucontext_t* context) const {
        return dispatch(signal, info, context, this);
    }
};

struct signal_callback_entry {
    signal_callback callback;
    void* context;
};

struct previous_action_entry {
    int signal;
    struct sigaction action;
};

using signal_callback_list = async_list<signal_callback_entry>;
using previous_action_list = async_list<previous_action_entry>;

// The two process-wide lists. They live for the whole process, also while it exits.
signal_callback_list& signal_callbacks();
previous_action_list& previous_actions();

// The handler given to sigaction. Runs on the crashing thread's alternate stack.
void crash_signal_entry(int signal, siginfo_t* info, void* context);

// Runs the chain from its head (no continuation) or after the continuation's member.
bool signal_chain_dispatch(int signal, siginfo_t* info, ucontext_t* context,
                           const signal_handler_continuation* from);

// The chain member that hands a signal to the action that was installed before ours.
bool signal_previous_action_forward(int signal, siginfo_t* info, ucontext_t* context, void* unused,
                                    const signal_handler_continuation* next);

} // namespace tqcrash::async
