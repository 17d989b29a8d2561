#include "platform/darwin/ProcessTable.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace sonvale::darwin {

namespace {

std::optional<std::string> wholeFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The number after `label` at the start of a line of a /proc file (never its first line).
std::optional<long long> numberAfter(const std::string& text, const std::string& label) {
    const auto at = text.find("\n" + label);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    return std::stoll(text.substr(at + 1 + label.size()));
}

} // namespace

int sysctlProcessByPid(pid_t pid, kinfo_proc* entry) {
    const std::string folder = "/proc/" + std::to_string(pid);
    const auto stat = wholeFile(folder + "/stat");
    const auto status = wholeFile(folder + "/status");
    const auto system = wholeFile("/proc/stat");
    if (!stat || !status || !system) {
        errno = ESRCH;
        return -1;
    }
    // "pid (comm) state ppid ...": the command may itself hold blanks and parentheses.
    const auto open = stat->find('(');
    const auto close = stat->rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) {
        errno = EIO;
        return -1;
    }
    std::istringstream fields(stat->substr(close + 2));
    std::string field;
    long long parent = 0;
    unsigned long long startTicks = 0;
    for (int number = 3; number <= 22 && fields >> field; ++number) {
        if (number == 4) {
            parent = std::stoll(field);
        } else if (number == 22) {
            startTicks = std::stoull(field);
        }
    }
    const auto bootTime = numberAfter(*system, "btime ");
    const auto tracer = numberAfter(*status, "TracerPid:");
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (!bootTime || !tracer || ticksPerSecond <= 0) {
        errno = EIO;
        return -1;
    }

    *entry = kinfo_proc{};
    entry->p_pid = pid;
    entry->p_ppid = static_cast<pid_t>(parent);
    entry->p_flag = *tracer != 0 ? P_TRACED : 0;
    const std::string command = stat->substr(open + 1, close - open - 1);
    std::memcpy(entry->p_comm, command.data(), std::min<std::size_t>(command.size(), MAXCOMLEN));
    entry->p_starttime.tv_sec = static_cast<time_t>(*bootTime + startTicks / ticksPerSecond);
    entry->p_starttime.tv_usec =
        static_cast<suseconds_t>((startTicks % ticksPerSecond) * 1'000'000 / ticksPerSecond);
    return 0;
}

} // namespace sonvale::darwin
