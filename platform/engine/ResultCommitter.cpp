#include "platform/engine/ResultCommitter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

bool refusedByFileSystem(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM;
}

// A rename after making sure the name is free, for file systems that offer no atomic way. The
// check and the rename happen under a lock that every placement of this process takes, and that
// other Sonvale processes of this machine take on the folder too.
int checkedRename(const fs::path& from, const fs::path& to)
{
    static std::mutex placing;
    std::lock_guard lock(placing);
    const int folder = ::open(to.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0)
        ::flock(folder, LOCK_EX); // not every network file system can lock folders; the mutex still holds
    struct stat st {};
    int rc = -1;
    if (::lstat(to.c_str(), &st) == 0)
        errno = EEXIST;
    else if (errno == ENOENT)
        rc = std::rename(from.c_str(), to.c_str());
    const int error = errno;
    if (folder >= 0)
        ::close(folder);
    errno = error;
    return rc;
}

// rename() that fails with EEXIST instead of replacing. Where the file system refuses the
// no-replace flag (NFS, many FUSE file systems, some USB sticks), a hard link and an unlink do the
// same; where links are refused too, a checked rename.
int renameNoReplace(const fs::path& from, const fs::path& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (!refusedByFileSystem(errno))
        return -1;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (!refusedByFileSystem(errno))
        return -1;
    return checkedRename(from, to);
}

// "<stem> (n).<ext>", or with a label "<stem> (backup).<ext>", "<stem> (backup 2).<ext>", ...
fs::path numbered(const fs::path& wanted, const std::string& label, int n)
{
    const std::string mark = label.empty() ? std::to_string(n) : n == 1 ? label : label + " " + std::to_string(n);
    return wanted.parent_path() / (wanted.stem().string() + " (" + mark + ")" + wanted.extension().string());
}

} // namespace

bool ResultCommitter::wouldSkip(const fs::path& wanted, int policy)
{
    std::error_code ec;
    return policy == 1 && fs::exists(wanted, ec);
}

Status ResultCommitter::renameToFreeName(const fs::path& from, const fs::path& wanted, const std::string& label,
                                         fs::path& written)
{
    for (int n = 1; n < 10000; ++n) {
        const fs::path candidate = numbered(wanted, label, n);
        if (renameNoReplace(from, candidate) == 0) {
            written = candidate;
            return Status::success();
        }
        if (errno != EEXIST)
            return Status::failure(std::string("cannot move the result into place (") + std::strerror(errno) + ")");
    }
    return Status::failure("no free name for the result");
}

Status ResultCommitter::commit(const fs::path& temporary, const fs::path& wanted, const fs::path& source, int policy,
                               bool backup, fs::path& written, Outcome& outcome)
{
    outcome = Outcome::Written;
    std::error_code ec;
    const bool isSource = sameFile(wanted, source);
    if (policy == 1 && fs::exists(wanted, ec)) {
        fs::remove(temporary, ec);
        outcome = Outcome::SkippedExisting;
        return Status::success();
    }
    if (policy == 0 && !isSource) {
        if (backup && fs::exists(wanted, ec)) {
            fs::path kept;
            if (Status s = renameToFreeName(wanted, wanted, "backup", kept); !s)
                return s;
        }
        if (std::rename(temporary.c_str(), wanted.c_str()) != 0)
            return Status::failure(std::string("cannot move the result into place (") + std::strerror(errno) + ")");
        written = wanted;
        return Status::success();
    }
    if (renameNoReplace(temporary, wanted) == 0) {
        written = wanted;
        return Status::success();
    }
    if (errno != EEXIST)
        return Status::failure(std::string("cannot move the result into place (") + std::strerror(errno) + ")");
    return renameToFreeName(temporary, wanted, {}, written);
}

} // namespace sonvale::engine
