#include "platform/engine/ServiceForkServer.h"

#include "platform/system/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sonvale::engine {

ServiceForkServer::ServiceForkServer(int controlSocket, ServiceMain serviceMain)
    : control_(controlSocket), serviceMain_(std::move(serviceMain)), hostPid_(::getpid())
{
}

int ServiceForkServer::serve()
{
    // A service's reports may have no reader left: that must not end the host.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t childEnded;
    sigemptyset(&childEnded);
    sigaddset(&childEnded, SIGCHLD);
    sigprocmask(SIG_BLOCK, &childEnded, &originalMask_);
    const int childEvents = ::signalfd(-1, &childEnded, SFD_CLOEXEC);
    if (childEvents < 0)
        return 1;

    bool connected = true;
    while (connected) {
        pollfd fds[] = {{control_, POLLIN, 0}, {childEvents, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            continue; // EINTR
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info;
            while (::read(childEvents, &info, sizeof info) < 0 && errno == EINTR) {
            }
            reapServices(false);
        }
        if (fds[0].revents)
            connected = receive();
    }
    for (const auto& [id, service] : services_)
        ::kill(service.pid, SIGKILL);
    reapServices(true);
    return 0;
}

bool ServiceForkServer::receive()
{
    char text[64];
    iovec buffer{text, sizeof text - 1};
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))];
    msghdr header{};
    header.msg_iov = &buffer;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(control_, &header, MSG_CMSG_CLOEXEC);
    if (n < 0)
        return errno == EINTR || errno == EAGAIN;
    if (n == 0)
        return false;
    text[n] = '\0';

    int fds[2] = {-1, -1};
    int fdCount = 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c))
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS) {
            fdCount = int((c->cmsg_len - CMSG_LEN(0)) / sizeof(int));
            std::memcpy(fds, CMSG_DATA(c), std::min(fdCount, 2) * sizeof(int));
        }
    unsigned long long id = 0;
    int instance = 0;
    if (fdCount == 2 && std::sscanf(text, "run %llu %d", &id, &instance) == 2) {
        startService(id, instance, fds[0], fds[1]);
        return true;
    }
    for (int i = 0; i < std::min(fdCount, 2); ++i)
        ::close(fds[i]);
    if (std::sscanf(text, "kill %llu", &id) == 1)
        if (auto found = services_.find(id); found != services_.end())
            ::kill(found->second.pid, SIGKILL); // not reaped yet, so the pid is still this service's
    return true;
}

void ServiceForkServer::startService(uint64_t id, int instance, int jobInput, int reports)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        becomeService(instance, jobInput, reports);
    ::close(jobInput);
    if (pid < 0)
        ::close(reports); // the item sees its reports end without a result
    else
        services_[id] = {pid, reports};
}

void ServiceForkServer::becomeService(int instance, int jobInput, int reports)
{
    ::dup2(jobInput, STDIN_FILENO);
    ::dup2(reports, STDOUT_FILENO);
    // Nothing of the host's (its socket, other items' reports) stays open in the service.
    ::close_range(3, ~0U, 0);
    std::signal(SIGPIPE, SIG_DFL);
    sigprocmask(SIG_SETMASK, &originalMask_, nullptr);
    // Never outlive the host, which never outlives the application.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != hostPid_)
        _exit(1);
    const std::string name = "sonvale-conv-" + std::to_string(instance);
    prctl(PR_SET_NAME, name.c_str());
    // Converting is background work: with every core busy converting, the application's window
    // (and the rest of the desktop) must still get a core the moment it has something to do.
    // Alone on the machine a service still gets whole cores. A refusal leaves it as it was.
    [[maybe_unused]] const int niceness = ::nice(kServiceNiceness);
    const int code = serviceMain_();
    std::fflush(stdout);
    _exit(code);
}

void ServiceForkServer::reapServices(bool wait)
{
    int status = 0;
    pid_t pid;
    while (!services_.empty() && (pid = ::waitpid(-1, &status, wait ? 0 : WNOHANG)) != 0) {
        if (pid < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (auto it = services_.begin(); it != services_.end(); ++it)
            if (it->second.pid == pid) {
                sonvale::writeAllBytes(it->second.reports, "ended " + std::to_string(status) + "\n");
                ::close(it->second.reports);
                services_.erase(it);
                break;
            }
    }
}

} // namespace sonvale::engine
