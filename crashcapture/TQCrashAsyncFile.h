#pragma once

#include <sys/types.h>

#include <cstddef>

namespace tqcrash::async {

// Buffered output to a file descriptor for the crash path: lives on the writer's stack, allocates
// nothing. With a byte limit, a write that would carry the total past it is refused whole.
struct async_file {
    int fd;
    off_t limit;     // 0: no limit
    off_t accepted;  // bytes accepted so far, counted only when a limit is set
    std::size_t buffered;
    char buffer[256];
};

// All of these are safe in a signal handler.
void async_file_init(async_file* file, int fd, off_t limit);
bool async_file_write(async_file* file, const void* bytes, std::size_t length);
bool async_file_flush(async_file* file);
// Flushes, then closes the descriptor; true when the close succeeded.
bool async_file_close(async_file* file);
// Writes every byte, retrying after EINTR. Returns the count, or -1.
ssize_t async_file_write_all(int fd, const void* bytes, std::size_t length);

} // namespace tqcrash::async
