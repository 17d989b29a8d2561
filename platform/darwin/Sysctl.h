#pragma once

#include <cstddef>

namespace sonvale::darwin {

// The named system values the crash engine reads, answered from uname, /proc and /sys:
//   "kern.osrelease", "kern.osversion", "hw.model"            text, with its terminating zero
//   "hw.cputype", "hw.cpusubtype", "hw.physicalcpu_max",
//   "hw.logicalcpu_max", "sysctl.proc_native"                 32-bit integers
// Same contract as the BSD call: a null `value` asks for the size in `*size`; a buffer that is too
// small fails with ENOMEM; an unknown name or a value this host does not have fails with ENOENT.
// Returns 0, or -1 with errno set. Reads files: call it on a normal thread, never while crashing.
int sysctlbyname(const char* name, void* value, std::size_t* size);

} // namespace sonvale::darwin
