#pragma once

#include "crashcapture/TQCrashMachException.h"
#include "crashcapture/TQCrashReporterError.h"

#include <pthread.h>

#include <atomic>
#include <memory>

namespace tqcrash {

class TQCrashMachExceptionPort;

// What the server runs for each exception: its answer goes back to the faulting thread, which goes
// on after KERN_SUCCESS and dies by its signal otherwise. Runs on the server thread while the
// faulting thread waits, one exception at a time: it must be safe in a signal handler.
using mach_exception_callback = async::kern_return_t (*)(async::task_t task, async::thread_t thread,
                                                         async::exception_type_t exception,
                                                         const async::mach_exception_data_type_t* codes,
                                                         async::mach_msg_type_number_t codeCount, void* context);

// Shared by the server object and its thread.
struct tqcrash_exception_server_context {
    std::atomic<async::mach_port_t> server_thread;
    async::mach_port_t server_port; // receive right
    async::mach_port_t notify_port; // receive right, with a send right
    async::mach_port_t port_set;
    mach_exception_callback callback;
    void* context;
    pthread_mutex_t lock; // guards the ports the object hands out
    std::atomic<bool> stop_requested;
    std::atomic<std::uint32_t> stop_acknowledged; // a futex word: 1 once the thread has ended its loop
};

namespace async {
// The server thread's body. Receives on the port set for ever, answering each exception with the
// callback's result, until a stop message arrives after stop_requested was set.
void* mach_exception_server_loop(void* serverContext);
} // namespace async

// A receive port and a detached thread that waits on it for exception messages and runs a callback
// for each. Made and destroyed on normal threads; the reporter's lives for the process.
class TQCrashMachExceptionServer final {
public:
    // Null with an error of code 1 when a lock, a port or the thread cannot be made.
    static std::unique_ptr<TQCrashMachExceptionServer> initWithCallBackContextError(mach_exception_callback callback,
                                                                                    void* context,
                                                                                    TQCrashReporterError* error);
    // Stops the thread and frees the ports.
    ~TQCrashMachExceptionServer();

    TQCrashMachExceptionServer(const TQCrashMachExceptionServer&) = delete;
    TQCrashMachExceptionServer& operator=(const TQCrashMachExceptionServer&) = delete;

    // The server thread's port (its thread id).
    async::thread_t serverThread() const;

    // The server port with one more send right, for the caller; MACH_PORT_NULL with "Failed to
    // insert Mach send right".
    async::mach_port_t copySendRightForServerAndReturningError(TQCrashReporterError* error);

    // A registration of this server for the types of `mask`, with 64-bit codes and the x86 thread
    // state; null when no send right could be made.
    std::unique_ptr<TQCrashMachExceptionPort> exceptionPortWithMaskError(async::exception_mask_t mask,
                                                                         TQCrashReporterError* error);

private:
    explicit TQCrashMachExceptionServer(tqcrash_exception_server_context* context) : serverContext_(context) {}

    tqcrash_exception_server_context* serverContext_;
};

} // namespace tqcrash
