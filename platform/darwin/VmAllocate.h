#pragma once

// What the crash engine expects of vm_allocate and vm_deallocate: zero-filled pages of this task,
// mapped anywhere. Safe in a signal handler: system calls only.

#include "platform/darwin/MachTypes.h"

namespace sonvale::darwin {

inline constexpr int VM_FLAGS_ANYWHERE = 1;

// The page size, which sizes are rounded up to.
vm_size_t vm_page_size();

kern_return_t vm_allocate(task_t task, vm_address_t* address, vm_size_t size, int flags);
kern_return_t vm_deallocate(task_t task, vm_address_t address, vm_size_t size);

} // namespace sonvale::darwin
