#include "platform/engine/DestinationPlanner.h"

#include "platform/engine/SourceScanner.h"
#include "platform/tqkit/TQKitNameFilter.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxNameBytes = 240;

std::string remoteName(const std::string& address)
{
    std::string path = address.substr(0, address.find_first_of("?#"));
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Each component of a relative path (a rendered folder pattern, a replicated folder) made safe.
fs::path safeRelative(const fs::path& relative)
{
    fs::path out;
    for (const auto& part : relative)
        if (!part.empty() && part != "/")
            out /= DestinationPlanner::safeName(part.string());
    return out;
}

// `folder` in its plain form: no ".", "..", doubled or trailing separators ("/out//" is "/out").
fs::path plainFolder(const fs::path& folder)
{
    fs::path plain = folder.lexically_normal();
    if (plain.has_relative_path() && !plain.has_filename())
        plain = plain.parent_path();
    return plain;
}

bool isInside(const fs::path& path, const fs::path& folder)
{
    const fs::path f = plainFolder(folder);
    const fs::path p = path.lexically_normal();
    auto pi = p.begin();
    for (const fs::path& part : f) {
        if (pi == p.end() || *pi != part)
            return false;
        ++pi;
    }
    return pi != p.end();
}

} // namespace

DestinationPlanner::DestinationPlanner(const BatchSettings& settings, PatternRenderer renderer)
    : settings_(settings), renderer_(std::move(renderer))
{
}

std::string DestinationPlanner::safeName(const std::string& name)
{
    const std::string safe = TQKitNameFilter(name, 0, kMaxNameBytes);
    return safe.empty() ? "Untitled" : safe;
}

Status DestinationPlanner::folderFor(const Request& request, fs::path& folder) const
{
    const bool remote = SourceScanner::isRemote(request.sourcePath);
    const bool besideSource = settings_.asSourceFolder && !remote;
    const fs::path base =
        besideSource ? fs::path(request.sourcePath).parent_path() : plainFolder(settings_.destinationFolder);
    if (base.empty())
        return Status::failure("no destination folder");
    folder = base;
    if (besideSource)
        return Status::success();
    if (!settings_.subfolderName.empty())
        folder /= safeName(settings_.subfolderName);
    else if (settings_.replicateFolders && !request.sourceRoot.empty()) {
        const fs::path root = fs::path(request.sourceRoot).lexically_normal();
        const fs::path relative = fs::path(request.sourcePath).parent_path().lexically_relative(root.parent_path());
        folder /= safeRelative(relative);
    }
    return Status::success();
}

std::optional<std::string> DestinationPlanner::renderedStem(const Request& request) const
{
    if (!settings_.renameFiles || !renderer_ || settings_.fileNamePattern.empty())
        return std::nullopt;
    std::string rendered = renderer_(settings_.fileNamePattern, request.tags, false);
    if (rendered.empty())
        return std::nullopt;
    return rendered;
}

std::string DestinationPlanner::ownStem(const Request& request) const
{
    const std::string name = !request.fileName.empty()                      ? request.fileName
                             : SourceScanner::isRemote(request.sourcePath) ? remoteName(request.sourcePath)
                                                                           : fs::path(request.sourcePath).filename().string();
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

Status DestinationPlanner::pathFor(const Request& request, fs::path& path) const
{
    fs::path folder;
    if (Status s = folderFor(request, folder); !s)
        return s;
    const fs::path destination = folder;
    if (settings_.organizeFolders && renderer_ && !settings_.folderPattern.empty())
        folder /= safeRelative(renderer_(settings_.folderPattern, request.tags, true));
    std::string extension = request.extension;
    if (extension.empty()) {
        extension = fs::path(request.sourcePath).extension().string();
        if (!extension.empty())
            extension.erase(0, 1);
    }
    // A rendered pattern may hold separators: they become subfolders, made safe too. A name of the
    // item's own (the source's, a CUE track's title) is one name, whatever it holds.
    if (const auto rendered = renderedStem(request))
        path = folder / safeRelative(*rendered);
    else
        path = folder / safeName(ownStem(request));
    path += extension.empty() ? std::string() : "." + safeName(extension);
    if (!isInside(path, destination))
        return Status::failure("the result's path would leave the destination folder");
    return Status::success();
}

} // namespace sonvale::engine
