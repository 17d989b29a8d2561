#include "platform/system/TrashBin.h"

#include "platform/system/AtomicFile.h"
#include "platform/system/PercentEncoding.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace sonvale {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kInfoSuffix = ".trashinfo";
constexpr size_t kNameMaxBytes = 255;
constexpr int kMaxNameAttempts = 10000;

// One trash folder: files/ holds the items, info/ their .trashinfo files. Paths in the info files
// of a top-directory trash are written relative to the top of its file system.
struct TrashDir {
    fs::path root;
    fs::path topDir; // empty for the home trash: its info files hold absolute paths
};

std::string errnoText(int error) { return std::strerror(error); }

Status failure(const fs::path& item, const std::string& why)
{
    return Status::failure("Cannot move \"" + item.string() + "\" to the Bin: " + why);
}

std::optional<struct stat> lstatOf(const fs::path& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    return info;
}

fs::path homeTrashRoot()
{
    // The XDG rules ignore a relative XDG_DATA_HOME.
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome && dataHome[0] == '/')
        return fs::path(dataHome) / "Trash";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".local/share/Trash";
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return fs::path(entry->pw_dir) / ".local/share/Trash";
    return {};
}

// The device of `path`, or of its nearest existing ancestor (the home trash may not exist yet).
std::optional<dev_t> deviceOfNearest(fs::path path)
{
    for (;;) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0)
            return info.st_dev;
        if (!path.has_relative_path())
            return std::nullopt;
        path = path.parent_path();
    }
}

// Creates `path` (one level, mode 0700) unless it exists, then checks that it is a folder of ours
// and, on a shared file system, a real one: a link there could lead our items anywhere.
bool ensureOwnFolder(const fs::path& path, bool followLink)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if ((followLink ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0)
        return false;
    if (S_ISDIR(info.st_mode) && info.st_uid == ::getuid())
        return true;
    errno = S_ISDIR(info.st_mode) ? EPERM : ENOTDIR;
    return false;
}

// The home trash may be a link the user made; a trash on a shared file system may not.
bool ensureTrashFolders(const TrashDir& trash)
{
    const bool followLink = trash.topDir.empty();
    return ensureOwnFolder(trash.root, followLink) && ensureOwnFolder(trash.root / "files", false) &&
           ensureOwnFolder(trash.root / "info", false);
}

// The highest folder above `folder` that is still on `device`: the top of its file system.
fs::path topOfFileSystem(fs::path folder, dev_t device)
{
    while (folder.has_relative_path()) {
        struct stat info {};
        if (::stat(folder.parent_path().c_str(), &info) != 0 || info.st_dev != device)
            break;
        folder = folder.parent_path();
    }
    return folder;
}

// The trash of a file system other than the home folder's: the administrator's shared .Trash
// (a real folder with the sticky bit, so no one can take over another user's subfolder), else
// the user's own .Trash-$uid. Null when neither can be used.
std::optional<TrashDir> topDirTrash(const fs::path& topDir, std::string* why)
{
    const std::string uid = std::to_string(::getuid());
    const std::optional<struct stat> shared = lstatOf(topDir / ".Trash");
    if (shared && S_ISDIR(shared->st_mode) && (shared->st_mode & S_ISVTX)) {
        TrashDir trash{topDir / ".Trash" / uid, topDir};
        if (ensureTrashFolders(trash))
            return trash;
    }
    TrashDir trash{topDir / (".Trash-" + uid), topDir};
    if (ensureTrashFolders(trash))
        return trash;
    *why = "the file system at \"" + topDir.string() + "\" has no Bin that can take it (" +
           errnoText(errno) + ")";
    return std::nullopt;
}

std::string deletionDateNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// Keeps the first `limit` bytes of `text` without ending inside a UTF-8 sequence.
std::string cutToBytes(std::string_view text, size_t limit)
{
    if (text.size() <= limit)
        return std::string(text);
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

// The name of attempt `attempt` (1 = the item's own name) in the trash: "Song.flac",
// "Song.2.flac", ...; short enough that its .trashinfo name still fits in a folder entry.
std::string candidateName(const std::string& name, int attempt)
{
    const fs::path asPath(name);
    std::string stem = asPath.stem().string();
    std::string extension = asPath.extension().string();
    if (extension.size() > 32) {
        stem = name;
        extension.clear();
    }
    const std::string number = attempt == 1 ? std::string() : "." + std::to_string(attempt);
    const size_t room = kNameMaxBytes - kInfoSuffix.size() - number.size() - extension.size();
    std::string candidate = cutToBytes(stem, room) + number + extension;
    return candidate.empty() ? "item" + number : candidate;
}

// Moves `from` to `to` unless `to` exists; false with errno EEXIST when it does.
bool renameNoReplace(const fs::path& from, const fs::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace flag: the name was reserved through its info file.
    if (lstatOf(to)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// Reserves a name through its info file (created exclusively, so no one else can take it), then
// moves the item under that name. Tries the next name while one is taken.
Status moveInto(const TrashDir& trash, const fs::path& item, fs::path* trashedPath)
{
    const std::string originalPath =
        trash.topDir.empty() ? item.string() : item.lexically_relative(trash.topDir).string();
    const std::string info = "[Trash Info]\nPath=" + percentEncodePath(originalPath) +
                             "\nDeletionDate=" + deletionDateNow() + "\n";
    const std::string name = item.filename().string();
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const std::string candidate = candidateName(name, attempt);
        const fs::path target = trash.root / "files" / candidate;
        const fs::path infoPath = trash.root / "info" / (candidate + std::string(kInfoSuffix));
        if (lstatOf(target))
            continue;
        const int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return failure(item, "cannot write \"" + infoPath.string() + "\" (" + errnoText(errno) + ")");
        const bool written = writeAllBytes(fd, info) && ::fsync(fd) == 0;
        const int writeError = errno;
        ::close(fd);
        if (!written) {
            ::unlink(infoPath.c_str());
            return failure(item, "cannot write \"" + infoPath.string() + "\" (" + errnoText(writeError) + ")");
        }
        if (renameNoReplace(item, target)) {
            if (trashedPath)
                *trashedPath = target;
            return Status::success();
        }
        const int renameError = errno;
        ::unlink(infoPath.c_str());
        if (renameError != EEXIST)
            return failure(item, errnoText(renameError));
    }
    return failure(item, "the Bin has no free name for it");
}

} // namespace

Status moveToTrash(const fs::path& path, fs::path* trashedPath)
{
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    const fs::path given(text);
    const std::string name = given.filename().string();
    if (text.empty() || name.empty() || name == "." || name == ".." || given == "/")
        return failure(path, "not a name of a file or folder");

    // The item's own name is kept as it is (a link is trashed itself); its folder is resolved so
    // the info file records where it really lived.
    std::error_code error;
    const fs::path folder = fs::canonical(fs::absolute(given, error).parent_path(), error);
    if (error)
        return failure(path, error.message());
    const fs::path item = folder / name;
    const std::optional<struct stat> itemInfo = lstatOf(item);
    if (!itemInfo)
        return failure(path, errnoText(errno));

    const fs::path homeTrash = homeTrashRoot();
    const std::optional<dev_t> homeDevice = homeTrash.empty() ? std::nullopt : deviceOfNearest(homeTrash);
    if (homeDevice && *homeDevice == itemInfo->st_dev) {
        std::error_code created;
        fs::create_directories(homeTrash.parent_path(), created);
        const TrashDir trash{homeTrash, {}};
        if (!ensureTrashFolders(trash))
            return failure(path, "cannot use the Bin at \"" + homeTrash.string() + "\" (" + errnoText(errno) + ")");
        return moveInto(trash, item, trashedPath);
    }

    std::string why;
    const std::optional<TrashDir> trash = topDirTrash(topOfFileSystem(folder, itemInfo->st_dev), &why);
    if (!trash)
        return failure(path, why);
    return moveInto(*trash, item, trashedPath);
}

} // namespace sonvale
