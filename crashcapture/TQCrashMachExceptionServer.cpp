#include "crashcapture/TQCrashMachExceptionServer.h"

#include "crashcapture/TQCrashLog.h"
#include "crashcapture/TQCrashMachExceptionPort.h"
#include "platform/darwin/MachMessage.h"
#include "platform/darwin/MachPort.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>


namespace tqcrash {

namespace {

namespace darwin = sonvale::darwin;

constexpr darwin::mach_msg_id_t kStopId = static_cast<darwin::mach_msg_id_t>(0xdeadbeef);

class Locked final {
public:
    explicit Locked(pthread_mutex_t* mutex) : mutex_(mutex) { pthread_mutex_lock(mutex_); }
    ~Locked() { pthread_mutex_unlock(mutex_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    pthread_mutex_t* mutex_;
};

void waitWhile(std::atomic<std::uint32_t>* word, std::uint32_t value) {
    while (word->load() == value) {
        syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), FUTEX_WAIT_PRIVATE, value, nullptr, nullptr, 0);
    }
}

void releasePort(darwin::mach_port_t port, darwin::mach_port_right_t right) {
    if (port != darwin::MACH_PORT_NULL) {
        darwin::mach_port_mod_refs(darwin::mach_task_self(), port, right, -1);
    }
}

// Frees what a start made so far.
void releaseContext(tqcrash_exception_server_context* server, bool withMutex) {
    releasePort(server->server_port, darwin::MACH_PORT_RIGHT_RECEIVE);
    releasePort(server->notify_port, darwin::MACH_PORT_RIGHT_RECEIVE);
    releasePort(server->port_set, darwin::MACH_PORT_RIGHT_PORT_SET);
    if (withMutex) {
        pthread_mutex_destroy(&server->lock);
    }
    delete server;
}

// Makes the ports and joins them in the set; the text of the first failure, or null.
const char* makePorts(tqcrash_exception_server_context* server, darwin::kern_return_t* result) {
    const darwin::task_t task = darwin::mach_task_self();
    if ((*result = darwin::mach_port_allocate(task, darwin::MACH_PORT_RIGHT_RECEIVE, &server->server_port)) !=
            darwin::KERN_SUCCESS ||
        (*result = darwin::mach_port_allocate(task, darwin::MACH_PORT_RIGHT_RECEIVE, &server->notify_port)) !=
            darwin::KERN_SUCCESS) {
        return "Failed to allocate exception server's port";
    }
    if ((*result = darwin::mach_port_insert_right(task, server->notify_port, server->notify_port,
                                                  darwin::MACH_MSG_TYPE_MAKE_SEND)) != darwin::KERN_SUCCESS) {
        return "Failed to add send right to exception server's port";
    }
    darwin::mach_port_t previous = darwin::MACH_PORT_NULL;
    if ((*result = darwin::mach_port_request_notification(task, server->server_port, darwin::MACH_NOTIFY_NO_SENDERS, 1,
                                                          server->notify_port, darwin::MACH_MSG_TYPE_MAKE_SEND_ONCE,
                                                          &previous)) != darwin::KERN_SUCCESS) {
        return "Failed to request MACH_NOTIFY_NO_SENDERS on the exception server's port";
    }
    if ((*result = darwin::mach_port_allocate(task, darwin::MACH_PORT_RIGHT_PORT_SET, &server->port_set)) !=
        darwin::KERN_SUCCESS) {
        return "Failed to allocate exception server's port set";
    }
    if ((*result = darwin::mach_port_move_member(task, server->server_port, server->port_set)) != darwin::KERN_SUCCESS) {
        return "Failed to add exception server port to port set";
    }
    if ((*result = darwin::mach_port_move_member(task, server->notify_port, server->port_set)) != darwin::KERN_SUCCESS) {
        return "Failed to add exception server notify port to port set";
    }
    return nullptr;
}

} // namespace

std::unique_ptr<TQCrashMachExceptionServer>
TQCrashMachExceptionServer::initWithCallBackContextError(mach_exception_callback callback, void* context,
                                                         TQCrashReporterError* error) {
    auto* server = new tqcrash_exception_server_context{};
    server->callback = callback;
    server->context = context;
    if (const int failed = pthread_mutex_init(&server->lock, nullptr); failed != 0) {
        crash_error_populate_posix(error, failed, "Mutex initialization failed");
        delete server;
        return nullptr;
    }
    darwin::kern_return_t result = darwin::KERN_SUCCESS;
    if (const char* failure = makePorts(server, &result)) {
        crash_error_populate_mach(error, result, failure);
        releaseContext(server, true);
        return nullptr;
    }
    pthread_attr_t attributes;
    if (const int failed = pthread_attr_init(&attributes); failed != 0) {
        crash_error_populate_posix(error, failed, "Failed to initialize pthread_attr");
        releaseContext(server, true);
        return nullptr;
    }
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    const int failed = pthread_create(&thread, &attributes, async::mach_exception_server_loop, server);
    pthread_attr_destroy(&attributes);
    if (failed != 0) {
        crash_error_populate_posix(error, failed, "Failed to create exception server thread");
        releaseContext(server, true);
        return nullptr;
    }
    // The thread names itself first thing: its port is known once the server is returned.
    waitWhile(&server->server_thread, darwin::MACH_PORT_NULL);
    return std::unique_ptr<TQCrashMachExceptionServer>(new TQCrashMachExceptionServer(server));
}

TQCrashMachExceptionServer::~TQCrashMachExceptionServer() {
    tqcrash_exception_server_context* server = serverContext_;
    bool idle = false;
    server->stop_requested.compare_exchange_strong(idle, true);
    darwin::mach_msg_header_t stop{};
    stop.msgh_bits = darwin::MACH_MSGH_BITS(darwin::MACH_MSG_TYPE_COPY_SEND, darwin::MACH_MSG_TYPE_MAKE_SEND_ONCE);
    stop.msgh_size = sizeof stop;
    stop.msgh_remote_port = server->notify_port;
    stop.msgh_local_port = darwin::MACH_PORT_NULL;
    stop.msgh_id = kStopId;
    const darwin::mach_msg_return_t sent = darwin::mach_msg(&stop, darwin::MACH_SEND_MSG, sizeof stop, 0,
                                                            darwin::MACH_PORT_NULL, darwin::MACH_MSG_TIMEOUT_NONE,
                                                            darwin::MACH_PORT_NULL);
    if (sent != darwin::MACH_MSG_SUCCESS) {
        // The thread may still run: nothing it uses may go.
        TQCrashLog("[TQCrashReporter] Unexpected error sending termination message to background thread: %d", sent);
        return;
    }
    waitWhile(&server->stop_acknowledged, 0);
    releaseContext(server, true);
}

async::thread_t TQCrashMachExceptionServer::serverThread() const {
    Locked guard(&serverContext_->lock);
    return serverContext_->server_thread.load();
}

async::mach_port_t TQCrashMachExceptionServer::copySendRightForServerAndReturningError(TQCrashReporterError* error) {
    Locked guard(&serverContext_->lock);
    const darwin::kern_return_t result =
        darwin::mach_port_insert_right(darwin::mach_task_self(), serverContext_->server_port,
                                       serverContext_->server_port, darwin::MACH_MSG_TYPE_MAKE_SEND);
    if (result != darwin::KERN_SUCCESS) {
        crash_error_populate_mach(error, result, "Failed to insert Mach send right");
        return darwin::MACH_PORT_NULL;
    }
    return serverContext_->server_port;
}

std::unique_ptr<TQCrashMachExceptionPort>
TQCrashMachExceptionServer::exceptionPortWithMaskError(async::exception_mask_t mask, TQCrashReporterError* error) {
    const darwin::mach_port_t sendRight = copySendRightForServerAndReturningError(error);
    if (sendRight == darwin::MACH_PORT_NULL || sendRight == darwin::MACH_PORT_DEAD) {
        return nullptr;
    }
    auto port = std::make_unique<TQCrashMachExceptionPort>(
        sendRight, mask, darwin::EXCEPTION_DEFAULT | darwin::MACH_EXCEPTION_CODES, darwin::x86_THREAD_STATE);
    darwin::mach_port_deallocate(darwin::mach_task_self(), sendRight);
    return port;
}

} // namespace tqcrash
