#pragma once

#include <cstddef>

namespace tqcrash {

// Every thread that may crash needs a signal stack of its own: a thread that overflows its stack
// can run a handler only on another stack, and two threads crashing at once must not share one.
// Stacks are made on normal threads (never while crashing) and released when their thread ends.
class TQCrashThreadSignalStack final {
public:
    static constexpr std::size_t kSize = 65536;

    // Gives the calling thread its own alternate signal stack unless it already has one (an
    // existing stack is left alone). Returns 0, or the errno of the failure.
    static int installForCurrentThread();

    // From now on, every thread started with pthread_create (ours, the C++ library's, Qt's) gets
    // its own stack before its start routine runs; the first call also asks every running thread,
    // by one real-time signal (SIGRTMIN + 1, kept by the engine from then on), to make its own,
    // and waits for them a bounded time. Cannot be undone.
    static void coverAllThreads();
};

} // namespace tqcrash
