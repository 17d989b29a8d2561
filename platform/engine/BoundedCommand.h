#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "platform/system/Status.h"

namespace sonvale::engine {

// Runs a program as a child process, never through a shell, and collects what it writes to its
// standard output. The child is trusted with nothing: its arguments go to it as they are (no text
// in them is ever interpreted), it reads nothing, and it is killed (with whatever it started) once
// it runs longer than the time bound, writes more than the size bound or `stop` is set.
class BoundedCommand final {
public:
    struct Limits {
        std::chrono::milliseconds time{std::chrono::minutes(2)};
        size_t outputBytes = size_t(64) << 20;
    };
    enum class Outcome { Finished, NotFound, TimedOut, TooMuchOutput, Stopped, Failed };

    struct Result {
        Outcome outcome = Outcome::Failed;
        int exitCode = -1; // of a finished program
        std::string output;
        std::string errors; // the last few kilobytes written to standard error
    };

    // argv[0] is looked up in PATH.
    static Result run(const std::vector<std::string>& argv, const std::atomic<bool>& stop, const Limits& limits);
};

} // namespace sonvale::engine
