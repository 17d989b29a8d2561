#include "telemetry/TQTMUtility.h"

#include "platform/system/AtomicFile.h"
#include "platform/system/XdgPaths.h"
#include "telemetry/TQTMLogger.h"

#include <fstream>
#include <mutex>

namespace {

// File work of the client is serialised by this lock; it is re-entrant because creating a file
// creates its folder under the same lock.
std::recursive_mutex& fileLock()
{
    static std::recursive_mutex lock;
    return lock;
}

std::string_view asText(const TQTMData& data)
{
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

} // namespace

std::filesystem::path TQTMUtility::telemetryDirectoryURL()
{
    return sonvale::sonvaleTelemetryDir();
}

std::optional<std::filesystem::path>
TQTMUtility::fullURLForPathComponent(const std::string& component)
{
    // A component names something inside the telemetry folder; one that would leave it (an
    // absolute path or "..") is refused.
    if (component.empty())
        return std::nullopt;
    const std::filesystem::path relative = std::filesystem::path(component).lexically_normal();
    if (relative.is_absolute() || relative.empty() || *relative.begin() == "..") {
        TQTMLogError(kTQTMCoreLogTag,
                     "Refusing path component outside the telemetry folder: " + component);
        return std::nullopt;
    }
    return telemetryDirectoryURL() / relative;
}

bool TQTMUtility::createDirectoryAtURL(const std::filesystem::path& url)
{
    if (url.empty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(url, error);
    if (error || !std::filesystem::is_directory(url)) {
        TQTMLogError(kTQTMCoreLogTag, "Couldn't create directory at " + url.string() + ": " +
                                          (error ? error.message() : "not a directory"));
        return false;
    }
    std::filesystem::permissions(url, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
    return true;
}

std::optional<std::filesystem::path>
TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(const std::string& component,
                                                                       const TQTMData& data,
                                                                       bool atomically,
                                                                       bool forceOverwrite)
{
    std::lock_guard lock(fileLock());
    const auto url = fullURLForPathComponent(component);
    if (!url)
        return std::nullopt;
    if (!forceOverwrite && std::filesystem::exists(*url))
        return url;
    if (!createDirectoryAtURL(url->parent_path()))
        return std::nullopt;
    bool written = false;
    if (atomically) {
        written = sonvale::writeFileAtomically(*url, asText(data)).isOk();
    } else {
        std::ofstream out(*url, std::ios::binary | std::ios::trunc);
        written = static_cast<bool>(
            out.write(asText(data).data(), static_cast<std::streamsize>(data.size())));
        out.close();
        written = written && !out.fail();
    }
    if (!written) {
        TQTMLogError(kTQTMCoreLogTag, "Couldn't create new file at path " + url->string());
        return std::nullopt;
    }
    return url;
}

bool TQTMUtility::deleteItemForPathComponent(const std::string& component)
{
    std::lock_guard lock(fileLock());
    const auto url = fullURLForPathComponent(component);
    return url && deleteFileAtURL(*url);
}

bool TQTMUtility::deleteFileAtURL(const std::filesystem::path& url)
{
    std::lock_guard lock(fileLock());
    if (url.empty())
        return false;
    std::error_code error;
    const bool removed = std::filesystem::remove_all(url, error) > 0;
    if (!removed) {
        TQTMLogDebug(kTQTMCoreLogTag, "Couldn't remove item at " + url.string() + ": " +
                                          (error ? error.message() : "No such file or directory"));
    }
    return removed;
}

std::optional<std::filesystem::path>
TQTMUtility::createDirectoryForPathComponent(const std::string& component)
{
    std::lock_guard lock(fileLock());
    const auto url = fullURLForPathComponent(component);
    if (!url || !createDirectoryAtURL(*url))
        return std::nullopt;
    return url;
}

std::optional<TQTMData> TQTMUtility::loadDataForPathComponent(const std::string& component)
{
    std::lock_guard lock(fileLock());
    const auto url = fullURLForPathComponent(component);
    if (!url)
        return std::nullopt;
    const std::optional<std::string> content = sonvale::readWholeFile(*url);
    if (!content)
        return std::nullopt;
    return TQTMData(content->begin(), content->end());
}

std::optional<std::vector<std::filesystem::path>>
TQTMUtility::contentsOfDirectory(const std::string& component)
{
    std::lock_guard lock(fileLock());
    const auto url = fullURLForPathComponent(component);
    if (!url)
        return std::nullopt;
    std::error_code error;
    std::vector<std::filesystem::path> entries;
    for (std::filesystem::directory_iterator it(*url, error), end; !error && it != end;
         it.increment(error))
        entries.push_back(it->path());
    if (error) {
        TQTMLogDebug(kTQTMCoreLogTag, "Couldn't get files in the directory \"" + component +
                                          "\": " + error.message());
        return std::nullopt;
    }
    return entries;
}

bool TQTMUtility::createFileAtPathContents(const std::filesystem::path& path,
                                           const TQTMData& contents)
{
    return sonvale::writeFileAtomically(path, asText(contents)).isOk();
}

bool TQTMUtility::fileExistsForPathComponent(const std::string& component)
{
    const auto url = fullURLForPathComponent(component);
    std::error_code error;
    return url && std::filesystem::exists(*url, error);
}
