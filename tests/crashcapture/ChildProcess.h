#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tqcrash::test {

// How a child process ended.
struct ChildEnd {
    bool signaled = false;
    int signal = 0;    // when signaled
    int exitCode = 0;  // when it exited
};

// Runs `arguments` (the program first) as a child process and waits for it at most `limit`;
// a child still running then is killed and nullopt comes back, so a hung child fails its test
// instead of hanging it.
std::optional<ChildEnd> runChild(const std::vector<std::string>& arguments, std::chrono::seconds limit);

// Waits for an already started child in the same bounded way.
std::optional<ChildEnd> waitForChild(pid_t child, std::chrono::seconds limit);

} // namespace tqcrash::test
