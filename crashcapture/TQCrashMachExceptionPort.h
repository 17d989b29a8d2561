#pragma once

#include "crashcapture/TQCrashMachException.h"
#include "crashcapture/TQCrashReporterError.h"

#include <memory>

namespace tqcrash {

class TQCrashMachExceptionPortSet;

// One exception registration: a port with the exception mask, behavior and thread-state flavor
// it is registered with. Holds one send reference on a valid port while it lives. Normal threads
// only.
class TQCrashMachExceptionPort final {
public:
    TQCrashMachExceptionPort(async::mach_port_t serverPort, async::exception_mask_t mask,
                             async::exception_behavior_t behavior, async::thread_state_flavor_t flavor);
    ~TQCrashMachExceptionPort();

    TQCrashMachExceptionPort(const TQCrashMachExceptionPort&) = delete;
    TQCrashMachExceptionPort& operator=(const TQCrashMachExceptionPort&) = delete;

    async::mach_port_t server_port() const { return port_; }
    async::exception_mask_t mask() const { return mask_; }
    async::exception_behavior_t behavior() const { return behavior_; }
    async::thread_state_flavor_t flavor() const { return flavor_; }

    // Puts this registration in place for the task (or one thread). The registrations it replaces
    // go to `*previous` when that is given. False with "Failed to swap mach exception ports".
    bool registerForTaskPreviousPortSetError(async::task_t task,
                                             std::unique_ptr<TQCrashMachExceptionPortSet>* previous,
                                             TQCrashReporterError* error) const;
    bool registerForThreadPreviousPortSetError(async::thread_t thread,
                                               std::unique_ptr<TQCrashMachExceptionPortSet>* previous,
                                               TQCrashReporterError* error) const;

    // The registrations in place for the types of `mask`; null with "Failed to fetch mach
    // exception ports".
    static std::unique_ptr<TQCrashMachExceptionPortSet>
    exceptionPortsForTaskMaskError(async::task_t task, async::exception_mask_t mask, TQCrashReporterError* error);
    static std::unique_ptr<TQCrashMachExceptionPortSet>
    exceptionPortsForThreadMaskError(async::thread_t thread, async::exception_mask_t mask, TQCrashReporterError* error);

private:
    async::exception_mask_t mask_;
    async::mach_port_t port_;
    async::exception_behavior_t behavior_;
    async::thread_state_flavor_t flavor_;
};

} // namespace tqcrash
