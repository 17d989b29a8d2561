#pragma once

#include <cstdint>
#include <vector>

namespace sonvale::test {

// One system call to fail with `error`, as a file system that lacks a feature fails it. With a
// `flagArgument` (0-5), only calls whose argument has a bit of `flagMask` set fail.
struct SyscallRule {
    long number;
    int error;
    int flagArgument = -1;
    uint64_t flagMask = 0;
};

// Installs the rules as a seccomp filter on the calling thread and the threads it starts from now
// on. A filter can never be removed: call it only in a child process (a death test's statement).
// False when the kernel refuses the filter.
bool refuseSyscalls(const std::vector<SyscallRule>& rules);

} // namespace sonvale::test
