#include "platform/tqkit/TQKitPaths.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    return home != nullptr ? home : "";
}

// The music folder as the user-dirs file names it, e.g. XDG_MUSIC_DIR="$HOME/Music".
std::string musicFolderFromUserDirs()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const fs::path config = configHome != nullptr && *configHome != '\0' ? fs::path(configHome)
                                                                         : fs::path(homeFolder()) / ".config";
    std::ifstream in(config / "user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_MUSIC_DIR=\"";
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) != 0 || line.back() != '"')
            continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.rfind("$HOME", 0) == 0)
            value = homeFolder() + value.substr(5);
        return value;
    }
    return {};
}

} // namespace

int TQKitPathType(const char* path)
{
    if (path == nullptr || *path == '\0')
        return kTQKitPathMissing;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status))
        return kTQKitPathMissing;
    return fs::is_directory(status) ? kTQKitPathFolder : kTQKitPathFile;
}

bool TQKitPathExists(const char* path) { return TQKitPathType(path) != kTQKitPathMissing; }

std::string TQKitPathFolder(const std::string& path)
{
    std::string trimmed = path;
    TQKitPathNormalize(trimmed);
    if (trimmed == "/")
        return trimmed;
    const size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : trimmed.substr(0, slash);
}

void TQKitPathNormalize(std::string& path)
{
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '/' && !out.empty() && out.back() == '/')
            continue;
        out.push_back(c);
    }
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    path = std::move(out);
}

bool TQKitIsExportableAudioFile(const char* path)
{
    if (path == nullptr)
        return false;
    std::string extension = fs::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const char* const kExtensions[] = {".mp3", ".m4a", ".m4b", ".m4r", ".mp4", ".aac",  ".flac",
                                              ".aif", ".aiff", ".aifc", ".wav", ".ogg", ".opus"};
    for (const char* known : kExtensions)
        if (extension == known)
            return true;
    return false;
}

bool TQKitDirectoryCreate(const char* path, bool errorIfExists)
{
    if (path == nullptr || *path == '\0')
        return false;
    if (TQKitPathType(path) == kTQKitPathFolder)
        return !errorIfExists;
    std::error_code error;
    fs::create_directories(path, error);
    return !error && TQKitPathType(path) == kTQKitPathFolder;
}

bool TQKitPathIsWritable(const char* path)
{
    if (TQKitPathType(path) != kTQKitPathFolder)
        return false;
    std::string probe = std::string(path) + "/.sonvale-write-test-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0)
        return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

std::string TQKitDefaultFolderPath()
{
    std::string music = musicFolderFromUserDirs();
    if (music.empty())
        music = homeFolder() + "/Music";
    return music + "/Sonvale";
}

namespace {

std::string lastName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

size_t extensionStart(const std::string& name)
{
    const size_t dot = name.find_last_of('.');
    return (dot == std::string::npos || dot == 0) ? name.size() : dot;
}

} // namespace

std::string TQKitPathExtension(const std::string& path)
{
    const std::string name = lastName(path);
    return name.substr(extensionStart(name));
}

std::string TQKitPathStem(const std::string& path)
{
    const std::string name = lastName(path);
    return name.substr(0, extensionStart(name));
}

bool TQKitSourcePathTest(const char* path)
{
    return TQKitPathType(path) == kTQKitPathFile && ::access(path, R_OK) == 0;
}

std::string TQKitPathJoin(const std::string& folder, const std::string& name, const std::string& suffix)
{
    if (folder.empty())
        return name + suffix;
    return folder + (folder.back() == '/' ? "" : "/") + name + suffix;
}

std::string TQKitPathJoinFormat(const std::string& folder, const char* format, ...)
{
    char name[4096];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(name, sizeof name, format, arguments);
    va_end(arguments);
    return TQKitPathJoin(folder, name, "");
}

TQKitPackageName TQKitPackageNameOf(const std::string& path)
{
    TQKitPackageName name{TQKitPathStem(path), TQKitPathExtension(path)};
    if (!name.extension.empty() && TQKitPathExtension(name.stem) == ".tar") {
        name.extension = ".tar" + name.extension;
        name.stem = TQKitPathStem(name.stem);
    }
    return name;
}

std::string TQKitPackagePathCandidate(const std::string& path)
{
    if (path.empty())
        return {};
    if (!TQKitPathExists(path.c_str()))
        return path;
    const std::string folder = TQKitPathFolder(path);
    const auto [stem, extension] = TQKitPackageNameOf(path);
    for (int number = 2; number <= 100; ++number) {
        const std::string candidate = TQKitPathJoinFormat(folder, "%s (%d)%s", stem.c_str(), number, extension.c_str());
        if (!TQKitPathExists(candidate.c_str()))
            return candidate;
    }
    return {};
}

bool TQKitFileRemove(const std::string& path)
{
    std::error_code error;
    return std::filesystem::remove(path, error);
}

bool TQKitFileMove(const std::string& from, const std::string& to)
{
    if (from.empty() || to.empty() || TQKitPathExists(to.c_str()))
        return false;
    std::error_code error;
    std::filesystem::rename(from, to, error);
    if (!error)
        return true;
    if (!std::filesystem::copy_file(from, to, error))
        return false;
    std::filesystem::remove(from, error);
    return true;
}
