#pragma once

#include <functional>
#include <optional>
#include <string>

namespace sonvale::test {

// How a forked child ended, and what it wrote to its report pipe.
struct ForkedChildEnd {
    bool signaled = false;
    int signal = 0;
    int exitCode = 0;
    std::string output;
};

// Forks; the child runs `body` with the write end of a pipe and exits with 0 if it returns (an
// exception leaving it ends the child through terminate). The
// parent waits (bounded: a hung child is killed and nothing comes back) and reads the pipe.
std::optional<ForkedChildEnd> runForkedChild(const std::function<void(int reportFd)>& body);

} // namespace sonvale::test
