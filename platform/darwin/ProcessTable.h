#pragma once

#include <sys/time.h>
#include <sys/types.h>

#include <cstdint>

namespace sonvale::darwin {

inline constexpr std::int32_t P_TRACED = 0x00000800; // a debugger is attached
inline constexpr int MAXCOMLEN = 16;

// The part of a BSD process-table entry the crash engine reads.
struct kinfo_proc {
    pid_t p_pid = 0;
    pid_t p_ppid = 0;
    std::int32_t p_flag = 0;            // P_TRACED when a tracer is attached
    char p_comm[MAXCOMLEN + 1] = {};    // command name, zero-terminated, at most 16 bytes
    timeval p_starttime = {};           // when the process started, since 1970
};

// The process-table query {CTL_KERN, KERN_PROC, KERN_PROC_PID, pid}, answered from /proc/<pid>/stat,
// /proc/<pid>/status and the boot time in /proc/stat. Returns 0, or -1 with errno set (ESRCH when no
// such process exists). Reads files: call it on a normal thread.
int sysctlProcessByPid(pid_t pid, kinfo_proc* entry);

} // namespace sonvale::darwin
