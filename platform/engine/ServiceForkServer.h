#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <signal.h>
#include <sys/types.h>

namespace sonvale::engine {

// The host side of the conversion services (see ServiceHost): reads requests from the
// application's socket, forks the service processes and kills or reaps them. Runs on a single
// thread, so that every fork copies a process with no other thread in it. When the application
// closes the socket, the services still running are killed.
class ServiceForkServer final {
public:
    // Converts the jobs on standard input, reporting on standard output; the process's exit code.
    using ServiceMain = std::function<int()>;

    ServiceForkServer(int controlSocket, ServiceMain serviceMain);

    // How much lower than the host's the services' scheduling priority is.
    static constexpr int kServiceNiceness = 10;
    // Serves until the application lets go; returns the host's exit code.
    int serve();

private:
    struct Service {
        pid_t pid;
        int reports;
    };

    bool receive(); // false once the application has gone
    void startService(uint64_t id, int instance, int jobInput, int reports);
    [[noreturn]] void becomeService(int instance, int jobInput, int reports);
    void reapServices(bool wait);

    const int control_;
    const ServiceMain serviceMain_;
    const pid_t hostPid_;
    sigset_t originalMask_{};
    std::map<uint64_t, Service> services_;
};

} // namespace sonvale::engine
