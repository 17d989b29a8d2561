#include "platform/engine/SourceScanner.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;

std::string lowerExtension(const std::string& path)
{
    std::string ext = fs::path(path).extension().string();
    if (!ext.empty())
        ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

const std::set<std::string> kMediaExtensions{
    "3gp", "aac", "ac3", "aif", "aifc", "aiff", "amr", "ape", "asf", "au", "avi", "caf", "dff", "dsf", "dts",
    "flac", "flv", "m2ts", "m4a", "m4b", "m4r", "m4v", "mka", "mkv", "mov", "mp2", "mp3", "mp4", "mpc", "mpeg",
    "mpg", "oga", "ogg", "opus", "ra", "snd", "spx", "ts", "tta", "voc", "w64", "wav", "webm", "wma", "wmv", "wv"};
const std::set<std::string> kImageAndTextExtensions{"bmp", "gif", "jpeg", "jpg", "log", "nfo", "pdf", "png",
                                                    "rtf", "tif", "tiff", "txt", "webp"};

} // namespace

SourceScanner::SourceScanner(const BatchSettings& settings, AcceptFile accept, std::function<bool()> stopped,
                             std::function<void()> found)
    : settings_(settings), accept_(std::move(accept)), stopped_(std::move(stopped)), found_(std::move(found))
{
}

bool SourceScanner::isRemote(const std::string& source)
{
    return source.rfind("http://", 0) == 0 || source.rfind("https://", 0) == 0;
}

bool SourceScanner::isMediaFile(const std::string& path)
{
    return kMediaExtensions.count(lowerExtension(path)) != 0;
}

bool SourceScanner::isImageOrText(const std::string& path)
{
    return kImageAndTextExtensions.count(lowerExtension(path)) != 0;
}

std::vector<SourceEntry> SourceScanner::scan(const std::vector<std::string>& sources) const
{
    std::vector<SourceEntry> out;
    for (const std::string& source : sources) {
        if (stopped_ && stopped_())
            break;
        if (source.empty())
            continue;
        std::error_code ec;
        if (isRemote(source))
            out.push_back({source, {}, TQKitConversionListItem::kRemote, TQKitConversionListItem::Kind::Convert});
        else if (fs::is_directory(source, ec))
            addFolder(source, out);
        else if (fs::is_regular_file(source, ec))
            entriesForFile(source, {}, 0, out);
    }
    return out;
}

void SourceScanner::addFolder(const std::string& folder, std::vector<SourceEntry>& out) const
{
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        if (it->path().filename().string().starts_with(".")) {
            if (it->is_directory(ec))
                it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file(ec)) {
            files.push_back(it->path().string());
            if (found_)
                found_();
        }
    }
    std::sort(files.begin(), files.end());
    const std::string root = fs::path(folder).lexically_normal().string();
    for (const std::string& file : files) {
        if (stopped_ && stopped_())
            return;
        entriesForFile(file, root, TQKitConversionListItem::kFromFolder, out);
    }
}

void SourceScanner::entriesForFile(const std::string& path, const std::string& root, uint32_t flags,
                                   std::vector<SourceEntry>& out) const
{
    using Kind = TQKitConversionListItem::Kind;
    // Copies go beside converted results, so they make no sense when results stay in the sources'
    // own folders.
    const bool copies = !settings_.asSourceFolder;
    const bool media = isMediaFile(path);
    if (!media && copies && settings_.copyImagesAndTexts && isImageOrText(path)) {
        out.push_back({path, root, flags, Kind::Copy});
        return;
    }
    // A single file given by name is meant to be converted whatever its extension.
    const bool wanted = media || settings_.acceptNonMediaFiles || root.empty();
    if (wanted && (!accept_ || accept_(path)))
        out.push_back({path, root, flags, Kind::Convert});
    else if (copies && settings_.copyNotConvertedFiles)
        out.push_back({path, root, flags, Kind::Copy});
}

} // namespace sonvale::engine
