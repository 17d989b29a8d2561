#include "platform/engine/WorkFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/engine/ProcessMark.h"
#include "platform/system/XdgPaths.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;

fs::path root()
{
    return sonvaleCacheDir() / "work";
}

// The work folders' root, opened without following a link in its place, or -1 with errno set
// when it is missing, a link or not this user's folder.
int openRoot(const fs::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        // O_DIRECTORY makes a link fail as "not a directory"; it is named for what it is.
        struct stat st {};
        if (errno == ENOTDIR && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            errno = ELOOP;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}

// Removes the folder `name` of `parent` and everything in it. Each level is opened with
// O_NOFOLLOW relative to the one above, so a link met anywhere (even one swapped in while this
// runs) is removed as a link and what it points to stays.
void removeTreeAt(int parent, const char* name)
{
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        ::unlinkat(parent, name, 0);
        return;
    }
    if (DIR* dir = ::fdopendir(fd)) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string child = entry->d_name;
            if (child == "." || child == "..")
                continue;
            if (entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN)
                removeTreeAt(fd, child.c_str());
            else
                ::unlinkat(fd, child.c_str(), 0);
        }
        ::closedir(dir); // closes fd
    } else {
        ::close(fd);
    }
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

} // namespace

Status WorkFolders::create(fs::path& created)
{
    const fs::path base = root();
    ::mkdir(base.c_str(), 0700);
    const int fd = openRoot(base);
    if (fd < 0)
        return Status::failure("cannot use the work folder " + base.string() + " ("
                               + (errno == ELOOP ? std::string("it is a link") : std::strerror(errno)) + ")");
    ::close(fd);
    std::string pattern = (base / (ProcessMark::own() + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        return Status::failure(std::string("cannot create a work folder in ") + base.string() + " ("
                               + std::strerror(errno) + ")");
    created = pattern;
    return Status::success();
}

void WorkFolders::sweepDead()
{
    const int fd = openRoot(root());
    if (fd < 0)
        return;
    const int listed = ::dup(fd);
    DIR* dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const size_t dash = name.rfind('-');
        struct stat st {};
        if (dash == std::string::npos || ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && ProcessMark::isOfDeadProcess(name.substr(0, dash)))
            removeTreeAt(fd, name.c_str());
    }
    ::closedir(dir);
    ::close(fd);
}

} // namespace sonvale::engine
