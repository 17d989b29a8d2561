#include "platform/darwin/VmAllocate.h"

#include "platform/darwin/MachPort.h"

#include <sys/mman.h>
#include <unistd.h>

namespace sonvale::darwin {

namespace {

vm_size_t roundToPages(vm_size_t size) {
    const vm_size_t page = vm_page_size();
    return (size + page - 1) / page * page;
}

} // namespace

vm_size_t vm_page_size() {
    return static_cast<vm_size_t>(sysconf(_SC_PAGESIZE));
}

kern_return_t vm_allocate(task_t task, vm_address_t* address, vm_size_t size, int flags) {
    if (task != mach_task_self() || (flags & VM_FLAGS_ANYWHERE) == 0) {
        return KERN_INVALID_ARGUMENT;
    }
    void* pages = mmap(nullptr, roundToPages(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) {
        return KERN_NO_SPACE;
    }
    *address = reinterpret_cast<vm_address_t>(pages);
    return KERN_SUCCESS;
}

kern_return_t vm_deallocate(task_t task, vm_address_t address, vm_size_t size) {
    if (task != mach_task_self()) {
        return KERN_INVALID_ARGUMENT;
    }
    return munmap(reinterpret_cast<void*>(address), roundToPages(size)) == 0 ? KERN_SUCCESS : KERN_INVALID_ADDRESS;
}

} // namespace sonvale::darwin
