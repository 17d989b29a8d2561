#pragma once

#include "platform/darwin/MachTypes.h"

#include <cstdint>

namespace sonvale::darwin {

// Copies `size` bytes at `address` of this process into `data` without ever faulting: an unmapped
// or unreadable range is an error code, not a crash. `*copied` receives the byte count.
//
// process_vm_readv on our own process does it in one call. A sandbox may refuse that call (a
// seccomp filter answering EPERM or ENOSYS); from the first refusal on, reads check the range
// against the mapping table and copy it through /proc/self/mem, which such filters let through.
// Safe in a signal handler: system calls only, no allocation.
kern_return_t vm_read_overwrite(std::uint64_t address, std::uint64_t size, void* data,
                                std::uint64_t* copied);

} // namespace sonvale::darwin
