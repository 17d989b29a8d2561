#include "platform/engine/ServiceItemRunner.h"

#include "platform/system/AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <optional>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Both ends close on exec, so another item's service never inherits this one's pipes.
struct Pipe {
    int read = -1;
    int write = -1;

    bool open()
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    void close()
    {
        if (read >= 0)
            ::close(read);
        if (write >= 0)
            ::close(write);
        read = write = -1;
    }
};

// Writes the whole text; a service that died early makes this fail (EPIPE) instead of raising
// SIGPIPE in the application.
bool writeWithoutSigpipe(int fd, const std::string& text)
{
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const bool ok = sonvale::writeAllBytes(fd, text);
    if (!ok) {
        const timespec zero{};
        sigtimedwait(&pipeSignal, nullptr, &zero); // drop the pending SIGPIPE
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return ok;
}

ItemOutcome failed(const ItemJob& job, std::string why)
{
    std::error_code ignored;
    fs::remove(job.outputPath, ignored);
    ItemOutcome outcome;
    outcome.status = Status::failure(std::move(why));
    return outcome;
}

std::string endingOf(int waitStatus)
{
    if (WIFSIGNALED(waitStatus))
        return "the conversion service crashed (signal " + std::to_string(WTERMSIG(waitStatus)) + ")";
    return "the conversion service ended without a result (exit " + std::to_string(WEXITSTATUS(waitStatus)) + ")";
}

} // namespace

ServiceItemRunner::ServiceItemRunner(std::string servicePath, std::chrono::seconds silenceLimit)
    : servicePath_(std::move(servicePath)), silenceLimit_(silenceLimit)
{
}

std::string ServiceItemRunner::defaultServicePath()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return (self.parent_path() / "sonvale-convert-service").string();
}

int ServiceItemRunner::claimInstance()
{
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < instancesInUse_.size(); ++i)
        if (!instancesInUse_[i]) {
            instancesInUse_[i] = true;
            return int(i) + 1;
        }
    instancesInUse_.push_back(true);
    return int(instancesInUse_.size());
}

void ServiceItemRunner::releaseInstance(int instance)
{
    std::lock_guard lock(mutex_);
    instancesInUse_[size_t(instance - 1)] = false;
}

ItemOutcome ServiceItemRunner::run(const ItemJob& job, const std::atomic<bool>& stop, const Progress& progress)
{
    Pipe input, output;
    if (!input.open() || !output.open()) {
        input.close();
        return failed(job, "cannot start the conversion service (no pipes)");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input.read, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output.write, STDOUT_FILENO);
    const int instance = claimInstance();
    const std::string instanceArg = "--instance=" + std::to_string(instance);
    char* argv[] = {const_cast<char*>(servicePath_.c_str()), const_cast<char*>(instanceArg.c_str()), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, servicePath_.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input.read);
    ::close(output.write);
    input.read = output.write = -1;
    if (spawned != 0) {
        input.close();
        output.close();
        releaseInstance(instance);
        return failed(job, "cannot start the conversion service " + servicePath_);
    }

    std::optional<ActiveConversion> process(std::in_place, *this); // until the process is reaped
    writeWithoutSigpipe(input.write, job.toJson());
    input.close();

    std::string pending, outcomeText;
    bool killed = false, silent = false;
    auto lastHeard = Clock::now();
    while (true) {
        if (!killed && (stop.load() || Clock::now() - lastHeard > silenceLimit_)) {
            silent = !stop.load();
            ::kill(pid, SIGKILL);
            killed = true;
        }
        pollfd fd{output.read, POLLIN, 0};
        if (::poll(&fd, 1, 50) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(output.read, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the service has gone
        lastHeard = Clock::now();
        pending.append(buffer, size_t(n));
        for (size_t eol; (eol = pending.find('\n')) != std::string::npos; pending.erase(0, eol + 1)) {
            const std::string line = pending.substr(0, eol);
            if (line.rfind("progress ", 0) == 0 && progress) {
                char* rest = nullptr;
                const long status = std::strtol(line.c_str() + 9, &rest, 10);
                progress(int(status), std::strtod(rest, nullptr));
            }
            else if (line.rfind("outcome ", 0) == 0)
                outcomeText = line.substr(8);
        }
    }
    output.close();
    int waitStatus = 0;
    while (::waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    releaseInstance(instance);
    process.reset();

    if (killed)
        return failed(job, silent ? "the conversion service stopped responding" : "stopped");
    ItemOutcome outcome;
    if (outcomeText.empty() || !ItemOutcome::fromJson(outcomeText, outcome))
        return failed(job, endingOf(waitStatus));
    return outcome;
}

} // namespace sonvale::engine
