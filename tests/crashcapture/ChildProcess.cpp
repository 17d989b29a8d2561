#include "ChildProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace tqcrash::test {

std::optional<ChildEnd> waitForChild(pid_t child, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child) {
            ChildEnd end;
            end.signaled = WIFSIGNALED(status);
            end.signal = end.signaled ? WTERMSIG(status) : 0;
            end.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
            return end;
        }
        if (ended < 0 || std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::optional<ChildEnd> runChild(const std::vector<std::string>& arguments, std::chrono::seconds limit) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return std::nullopt;
    }
    return waitForChild(child, limit);
}

} // namespace tqcrash::test
