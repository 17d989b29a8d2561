#include "platform/engine/PartialFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/engine/ProcessMark.h"
#include "platform/system/AtomicFile.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = ".sonvale-";
constexpr std::string_view kSuffix = ".part";

std::string randomHex()
{
    unsigned char bytes[8];
    size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n > 0)
            got += size_t(n);
        else if (errno != EINTR)
            break;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : bytes) {
        hex.push_back(kDigits[b >> 4]);
        hex.push_back(kDigits[b & 15]);
    }
    return hex;
}

// The process mark in a partial file's name, or nothing when the name is not one of ours.
std::string_view markOf(std::string_view name)
{
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix))
        return {};
    name = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    const size_t dash = name.rfind('-');
    return dash == std::string_view::npos ? std::string_view() : name.substr(0, dash);
}

// True the first time it is asked about a folder in this process.
bool firstVisit(const fs::path& folder)
{
    static std::mutex mutex;
    static std::set<fs::path> visited;
    std::lock_guard lock(mutex);
    return visited.insert(folder.lexically_normal()).second;
}

struct Fd {
    int fd;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

Status PartialFile::creationFailure(int error)
{
    return Status::failure(std::string("cannot create the result file (") + std::strerror(error) + ")");
}

Status PartialFile::create(const fs::path& folder, fs::path& created)
{
    if (firstVisit(folder))
        sweepStale(folder);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path candidate =
            folder / (std::string(kPrefix) + ProcessMark::own() + "-" + randomHex() + std::string(kSuffix));
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            created = candidate;
            return Status::success();
        }
        if (errno != EEXIST)
            return creationFailure(errno);
    }
    return creationFailure(EEXIST);
}

int PartialFile::openForWriting(const fs::path& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    // Back to blocking writes; O_NONBLOCK only kept a FIFO found in its place from blocking the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

Status PartialFile::copyFrom(const fs::path& source, const fs::path& partial)
{
    const Fd in{::open(source.c_str(), O_RDONLY | O_CLOEXEC)};
    const Fd out{openForWriting(partial)};
    if (in.fd < 0 || out.fd < 0)
        return Status::failure(std::string("cannot copy the file (") + std::strerror(errno) + ")");
    std::string buffer(1 << 20, '\0');
    while (true) {
        const ssize_t n = ::read(in.fd, buffer.data(), buffer.size());
        if (n == 0)
            return Status::success();
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || !writeAllBytes(out.fd, std::string_view(buffer.data(), size_t(n))))
            return Status::failure(std::string("cannot copy the file (") + std::strerror(errno) + ")");
    }
}

void PartialFile::sweepStale(const fs::path& folder)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string_view mark = markOf(name);
        struct stat st {};
        if (mark.empty() || ::lstat(it->path().c_str(), &st) != 0)
            continue;
        // Only our own regular files: never what another user or a link stands for.
        if (S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && ProcessMark::isOfDeadProcess(mark))
            ::unlink(it->path().c_str());
    }
}

} // namespace sonvale::engine
