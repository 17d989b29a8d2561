#include "platform/system/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonvale {
namespace {

std::string describeErrno(const std::string& what, const std::filesystem::path& path)
{
    return what + " \"" + path.string() + "\": " + std::strerror(errno);
}

} // namespace

bool writeAllBytes(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

Status writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode)
{
    std::string temp = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return Status::failure(describeErrno("Cannot create a temporary file beside", path));

    const bool written = ::fchmod(fd, mode) == 0 && writeAllBytes(fd, bytes) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        errno = written ? errno : savedErrno;
        Status status = Status::failure(describeErrno("Cannot write", path));
        ::unlink(temp.c_str());
        return status;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        Status status = Status::failure(describeErrno("Cannot replace", path));
        ::unlink(temp.c_str());
        return status;
    }
    // Make the rename itself durable.
    const int dirFd = ::open(path.parent_path().empty() ? "." : path.parent_path().c_str(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return Status::success();
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::string* error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = errno == ENOENT ? std::string() : describeErrno("Cannot open", path);
        return std::nullopt;
    }
    std::string content;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            if (error)
                *error = describeErrno("Cannot read", path);
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        content.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return content;
}

} // namespace sonvale
