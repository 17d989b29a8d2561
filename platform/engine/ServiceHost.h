#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <sys/types.h>

namespace sonvale::engine {

// The application's side of the conversion-service host: one `sonvale-convert-service` process,
// started on first use, that has loaded the conversion libraries once and forks the service
// processes that convert items. Forking the loaded host costs about a millisecond, where starting
// a service anew cost tens of milliseconds of dynamic loading. A host that died is started again
// for the next service. Thread-safe.
//
// Protocol: datagrams on a socket pair that is the host's standard input. "run <id> <instance>"
// carries two descriptors (the service's job input and its reports); "kill <id>" ends that
// service. Once a service has ended and been reaped, the host appends "ended <wait status>" to its
// reports and closes them; a host that could not fork just closes them.
class ServiceHost final {
public:
    explicit ServiceHost(std::string servicePath);
    ~ServiceHost(); // the host ends, and with it every service still running
    ServiceHost(const ServiceHost&) = delete;
    ServiceHost& operator=(const ServiceHost&) = delete;

    // Starts the host now, if none runs, so that it has loaded the libraries before the first
    // item asks for a service. False when it could not be started.
    bool start();
    // Hands the two descriptors to a new service (the caller keeps and closes its own). False when
    // no host could be started.
    bool startService(uint64_t id, int instance, int jobInput, int reports);
    // Kills the service at once, if it still runs.
    void killService(uint64_t id);

private:
    bool sendLocked(const std::string& message, const int* fds, int fdCount);
    bool startHostLocked();
    void forgetHostLocked();

    const std::string servicePath_;
    std::mutex mutex_;
    int socket_ = -1;
    pid_t pid_ = -1;
};

} // namespace sonvale::engine
