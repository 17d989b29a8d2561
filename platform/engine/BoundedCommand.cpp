#include "platform/engine/BoundedCommand.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace sonvale::engine {
namespace {

constexpr size_t kKeptErrorBytes = 4096;

struct Pipe {
    int read = -1, write = -1;
    bool open() { int ends[2]; if (::pipe2(ends, O_CLOEXEC) != 0) return false; read = ends[0]; write = ends[1]; return true; }
    void closeRead() { if (read >= 0) ::close(read); read = -1; }
    void closeWrite() { if (write >= 0) ::close(write); write = -1; }
    ~Pipe() { closeRead(); closeWrite(); }
};

// The child leads a process group of its own, so that what it starts ends with it.
void killGroup(pid_t pid)
{
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

} // namespace

BoundedCommand::Result BoundedCommand::run(const std::vector<std::string>& args, const std::atomic<bool>& stop,
                                           const Limits& limits)
{
    Result result;
    Pipe out, err;
    if (args.empty() || !out.open() || !err.open())
        return result;
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    out.closeWrite();
    err.closeWrite();
    if (spawned != 0) {
        result.outcome = spawned == ENOENT ? Outcome::NotFound : Outcome::Failed;
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + limits.time;
    result.outcome = Outcome::Finished;
    while (out.read >= 0 || err.read >= 0) {
        if (stop.load()) {
            result.outcome = Outcome::Stopped;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.outcome = Outcome::TimedOut;
            break;
        }
        pollfd fds[2] = {{out.read, POLLIN, 0}, {err.read, POLLIN, 0}};
        // A short wait at most, so that a stop is seen soon.
        if (::poll(fds, 2, int(std::min<long long>(left.count(), 200))) < 0 && errno != EINTR)
            break;
        char buffer[65536];
        if (fds[0].revents) {
            const ssize_t n = ::read(out.read, buffer, sizeof buffer);
            if (n <= 0)
                out.closeRead();
            else if (result.output.size() + size_t(n) > limits.outputBytes) {
                result.outcome = Outcome::TooMuchOutput;
                break;
            } else
                result.output.append(buffer, size_t(n));
        }
        if (fds[1].revents) {
            const ssize_t n = ::read(err.read, buffer, sizeof buffer);
            if (n <= 0)
                err.closeRead();
            else {
                result.errors.append(buffer, size_t(n));
                if (result.errors.size() > kKeptErrorBytes)
                    result.errors.erase(0, result.errors.size() - kKeptErrorBytes);
            }
        }
    }
    if (result.outcome != Outcome::Finished)
        killGroup(pid);
    const int status = waitFor(pid);
    if (result.outcome == Outcome::Finished)
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace sonvale::engine
