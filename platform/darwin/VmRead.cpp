#include "platform/darwin/VmRead.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>

namespace sonvale::darwin {

kern_return_t vm_read_overwrite(std::uint64_t address, std::uint64_t size, void* data,
                                std::uint64_t* copied) {
    *copied = 0;
    if (size == 0) {
        return KERN_SUCCESS;
    }
    iovec local{data, static_cast<std::size_t>(size)};
    iovec remote{reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)),
                 static_cast<std::size_t>(size)};
    const int savedErrno = errno;
    const ssize_t count = process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
    const int readErrno = errno;
    errno = savedErrno;
    if (count == static_cast<ssize_t>(size)) {
        *copied = size;
        return KERN_SUCCESS;
    }
    if (count >= 0 || readErrno == EFAULT) {
        *copied = count > 0 ? static_cast<std::uint64_t>(count) : 0;
        return KERN_INVALID_ADDRESS;
    }
    return readErrno == EPERM ? KERN_PROTECTION_FAILURE : KERN_FAILURE;
}

} // namespace sonvale::darwin
