#include "platform/engine/WorkFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

} // namespace

Status WorkFolders::create(fs::path& created)
{
    const fs::path base = root();
    ::mkdir(base.c_str(), 0700);
    std::string pattern = (base / (ProcessMark::own() + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        return Status::failure(std::string("cannot create a work folder in ") + base.string() + " ("
                               + std::strerror(errno) + ")");
    created = pattern;
    return Status::success();
}

void WorkFolders::sweepDead()
{
    std::error_code ec;
    for (fs::directory_iterator it(root(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const size_t dash = name.rfind('-');
        struct stat st {};
        if (dash == std::string::npos || ::lstat(it->path().c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && ProcessMark::isOfDeadProcess(name.substr(0, dash))) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored); // removes links inside, never what they point to
        }
    }
}

} // namespace sonvale::engine
