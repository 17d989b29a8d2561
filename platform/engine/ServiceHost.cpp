#include "platform/engine/ServiceHost.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace sonvale::engine {

ServiceHost::ServiceHost(std::string servicePath) : servicePath_(std::move(servicePath)) {}

ServiceHost::~ServiceHost()
{
    std::lock_guard lock(mutex_);
    forgetHostLocked();
}

bool ServiceHost::start()
{
    std::lock_guard lock(mutex_);
    return socket_ >= 0 || startHostLocked();
}

bool ServiceHost::startService(uint64_t id, int instance, int jobInput, int reports)
{
    const std::string message = "run " + std::to_string(id) + ' ' + std::to_string(instance);
    const int fds[] = {jobInput, reports};
    std::lock_guard lock(mutex_);
    // A host that died (or was killed with the thread that started it) is replaced once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (socket_ < 0 && !startHostLocked())
            return false;
        if (sendLocked(message, fds, 2))
            return true;
        forgetHostLocked();
    }
    return false;
}

void ServiceHost::killService(uint64_t id)
{
    std::lock_guard lock(mutex_);
    if (socket_ >= 0)
        sendLocked("kill " + std::to_string(id), nullptr, 0);
}

bool ServiceHost::sendLocked(const std::string& message, const int* fds, int fdCount)
{
    iovec text{const_cast<char*>(message.data()), message.size()};
    msghdr header{};
    header.msg_iov = &text;
    header.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
    if (fdCount > 0) {
        header.msg_control = control;
        header.msg_controllen = CMSG_SPACE(fdCount * sizeof(int));
        cmsghdr* rights = CMSG_FIRSTHDR(&header);
        rights->cmsg_level = SOL_SOCKET;
        rights->cmsg_type = SCM_RIGHTS;
        rights->cmsg_len = CMSG_LEN(fdCount * sizeof(int));
        std::memcpy(CMSG_DATA(rights), fds, fdCount * sizeof(int));
    }
    ssize_t sent;
    do
        sent = ::sendmsg(socket_, &header, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == ssize_t(message.size());
}

bool ServiceHost::startHostLocked()
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    char* argv[] = {const_cast<char*>(servicePath_.c_str()), nullptr};
    const int spawned = posix_spawn(&pid_, servicePath_.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (spawned != 0) {
        ::close(ends[0]);
        pid_ = -1;
        return false;
    }
    socket_ = ends[0];
    return true;
}

// Closing the socket ends the host, which kills its services; then it is reaped.
void ServiceHost::forgetHostLocked()
{
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
    if (pid_ > 0)
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    pid_ = -1;
}

} // namespace sonvale::engine
