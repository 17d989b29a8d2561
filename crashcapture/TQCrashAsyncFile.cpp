// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashAsyncFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tqcrash::async {

void async_file_init(async_file* file, int fd, off_t limit) {
    file->fd = fd;
    file->limit = limit;
    file->accepted = 0;
    file->buffered = 0;
}

bool async_file_write(async_file* file, const void* bytes, std::size_t length) {
    if (file->limit > 0) {
        if (file->accepted + static_cast<off_t>(length) > file->limit) {
            return false;
        }
        file->accepted += static_cast<off_t>(length);
    }
    if (file->buffered + length > sizeof file->buffer) {
        if (!async_file_flush(file)) {
            return false;
        }
    }
    if (length > sizeof file->buffer) {
        return async_file_write_all(file->fd, bytes, length) == static_cast<ssize_t>(length);
    }
    std::memcpy(file->buffer + file->buffered, bytes, length);
    file->buffered += length;
    return true;
}

bool async_file_flush(async_file* file) {
    if (file->buffered == 0) {
        return true;
    }
    const bool written =
        async_file_write_all(file->fd, file->buffer, file->buffered) == static_cast<ssize_t>(file->buffered);
    file->buffered = 0;
    return written;
}

bool async_file_close(async_file* file) {
    const bool flushed = async_file_flush(file);
    const bool closed = close(file->fd) == 0;
    return flushed && closed;
}

ssize_t async_file_write_all(int fd, const void* bytes, std::size_t length) {
    const auto* next = static_cast<const char*>(bytes);
    std::size_t left = length;
    while (left > 0) {
        const ssize_t written = write(fd, next, left);
        if (written <= 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    return static_cast<ssize_t>(length);
}

} // namespace tqcrash::async
