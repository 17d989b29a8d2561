#include "tests/crashes/ForkedChild.h"

#include "tests/crashcapture/ChildProcess.h"

#include <unistd.h>

namespace sonvale::test {

namespace {

// An exception that leaves the body ends the child through terminate, as in a program of its own,
// instead of reaching the test framework's handler in the child.
void runToTheEnd(const std::function<void(int reportFd)>& body, int reportFd) noexcept
{
    body(reportFd);
}

} // namespace

std::optional<ForkedChildEnd> runForkedChild(const std::function<void(int reportFd)>& body)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return std::nullopt;
    const pid_t child = fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        close(pipeFds[0]);
        runToTheEnd(body, pipeFds[1]);
        _exit(0);
    }
    close(pipeFds[1]);
    // The child's few lines fit in the pipe, so it never waits for this side to read.
    const auto end = tqcrash::test::waitForChild(child, std::chrono::seconds(60));
    std::string output;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    if (!end)
        return std::nullopt;
    return ForkedChildEnd{end->signaled, end->signal, end->exitCode, output};
}

} // namespace sonvale::test
