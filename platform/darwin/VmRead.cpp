#include "platform/darwin/VmRead.h"

#include "platform/darwin/ProcessMappings.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace sonvale::darwin {

namespace {

// Set once process_vm_readv has been refused; a filter does not change its mind.
constinit std::atomic<bool> gVmReadRefused{false};

bool isRefusal(int error) {
    return error == EPERM || error == ENOSYS || error == EACCES;
}

// The fallback: the range must lie in readable mappings (the mem file would also read pages that
// are mapped without read permission), then the kernel copies it. The file is opened per read: a
// descriptor kept across fork() would read the parent.
kern_return_t readThroughMemFile(std::uint64_t address, std::uint64_t size, void* data,
                                 std::uint64_t* copied) {
    const std::uint64_t readable = readable_length(address, size);
    if (readable == 0) {
        return KERN_INVALID_ADDRESS;
    }
    const int fd = open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return KERN_FAILURE;
    }
    auto* into = static_cast<char*>(data);
    std::uint64_t done = 0;
    while (done < readable) {
        const ssize_t count = pread(fd, into + done, static_cast<std::size_t>(readable - done),
                                    static_cast<off_t>(address + done));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        done += static_cast<std::uint64_t>(count);
    }
    close(fd);
    *copied = done;
    return done == size ? KERN_SUCCESS : KERN_INVALID_ADDRESS;
}

} // namespace

kern_return_t vm_read_overwrite(std::uint64_t address, std::uint64_t size, void* data,
                                std::uint64_t* copied) {
    *copied = 0;
    if (size == 0) {
        return KERN_SUCCESS;
    }
    const int savedErrno = errno;
    if (!gVmReadRefused.load(std::memory_order_relaxed)) {
        iovec local{data, static_cast<std::size_t>(size)};
        iovec remote{reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)),
                     static_cast<std::size_t>(size)};
        const int frozen = mappings_frozen_process();
        const ssize_t count = process_vm_readv(frozen != 0 ? frozen : getpid(), &local, 1, &remote, 1, 0);
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
        if (!isRefusal(readErrno)) {
            return KERN_FAILURE;
        }
        gVmReadRefused.store(true, std::memory_order_relaxed);
    }
    const kern_return_t status = readThroughMemFile(address, size, data, copied);
    errno = savedErrno;
    return status;
}

} // namespace sonvale::darwin
