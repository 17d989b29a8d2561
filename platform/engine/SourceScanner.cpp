#include "platform/engine/SourceScanner.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "platform/engine/lists/CueSheetReader.h"
#include "platform/engine/lists/PlaylistLocation.h"
#include "platform/engine/lists/SourcePlaylistReader.h"

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

using Kind = TQKitConversionListItem::Kind;

std::string normal(const fs::path& path)
{
    return path.lexically_normal().string();
}

// "03 - Title.flac": names the track's item and, unless a pattern renames it, its result.
std::string trackFileName(const lists::CueTrack& track)
{
    char number[16];
    std::snprintf(number, sizeof number, "%02d", track.number);
    const std::string title = track.title.empty() ? "Track " + std::string(number) : track.title;
    return std::string(number) + " - " + title + track.imageFile.extension().string();
}

// The sheet's fields over the image's own tags: the track's number counts the sheet's tracks, not
// the image's total.
TagSet trackTags(const lists::CueSheet& sheet, const lists::CueTrack& track)
{
    const lists::CueAlbum& album = sheet.album;
    const std::string number = std::to_string(track.number) + "/" + std::to_string(sheet.tracks.size());
    TagSet tags;
    const std::pair<const char*, std::string> fields[] = {
        {"TITLE", track.title},        {"ARTIST", track.performer},   {"TRACKNUMBER", number},
        {"ALBUM", album.title},        {"ALBUMARTIST", album.performer}, {"COMPOSER", track.songwriter},
        {"DATE", album.date},          {"GENRE", album.genre},        {"ISRC", track.isrc},
        {"DISCNUMBER", album.discNumber}, {"COMMENT", album.comment}};
    for (const auto& [name, value] : fields)
        if (!value.empty())
            tags.fields.emplace_back(name, value);
    return tags;
}

// Why a source that is neither a folder nor a regular file cannot be converted; empty when it is
// missing (the application says so before it gets here).
std::string problemOfSpecialFile(const std::string& path)
{
    std::error_code ec;
    switch (fs::status(path, ec).type()) {
    case fs::file_type::fifo:
        return "not a regular file (a named pipe)";
    case fs::file_type::block:
    case fs::file_type::character:
        return "not a regular file (a device)";
    case fs::file_type::socket:
        return "not a regular file (a socket)";
    case fs::file_type::not_found:
        return path.starts_with("file:") ? "The file address names no local file" : "";
    default:
        return "not a regular file";
    }
}

SourceEntry unusable(std::string path, std::string problem, std::string playlist = {})
{
    SourceEntry entry{std::move(path), {}, 0, Kind::Convert, {}};
    entry.origin.problem = std::move(problem);
    entry.origin.playlist = std::move(playlist);
    return entry;
}

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

std::string SourceScanner::localSource(const std::string& source)
{
    if (!source.starts_with("file:"))
        return source;
    const lists::PlaylistEntry entry = lists::PlaylistLocation("/").resolve({.location = source});
    return entry.path.empty() ? source : entry.path.string();
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
        else if (std::string problem = problemOfSpecialFile(source); !problem.empty())
            out.push_back(unusable(source, std::move(problem)));
    }
    return out;
}

void SourceScanner::addFolder(const std::string& folder, std::vector<SourceEntry>& out) const
{
    std::vector<std::string> files;
    // Walked with a list of folders still to read, not by recursion: a hostile tree may be deep.
    std::vector<fs::path> pending{folder};
    while (!pending.empty() && !(stopped_ && stopped_())) {
        const fs::path current = std::move(pending.back());
        pending.pop_back();
        std::error_code ec;
        fs::directory_iterator it(current, ec);
        for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
            if (it->path().filename().string().starts_with("."))
                continue;
            std::error_code typeError;
            if (it->is_directory(typeError) && !it->is_symlink(typeError)) {
                if (!isDestination(it->path()))
                    pending.push_back(it->path());
            } else if (it->is_regular_file(typeError)) {
                files.push_back(it->path().string());
                if (found_)
                    found_();
            }
        }
        // Said, not skipped: the user would otherwise take the batch for the whole folder.
        if (ec)
            out.push_back(unusable(current.string(), "the folder cannot be read (" + ec.message() + ")"));
    }
    std::sort(files.begin(), files.end());
    const std::string root = normal(folder);
    // Sheets first: the images they split are not converted whole as well.
    std::map<std::string, lists::CueSheet> sheets;
    std::set<std::string> splitImages;
    for (const std::string& file : files) {
        lists::CueSheet sheet;
        if (!settings_.cueSheets || lowerExtension(file) != "cue" || !lists::CueSheetReader().readFile(file, sheet))
            continue;
        for (const fs::path& image : sheet.imageFiles())
            splitImages.insert(normal(image));
        sheets.emplace(file, std::move(sheet));
    }
    for (const std::string& file : files) {
        if (stopped_ && stopped_())
            return;
        if (const auto sheet = sheets.find(file); sheet != sheets.end())
            addTracks(file, sheet->second, root, TQKitConversionListItem::kFromFolder, out);
        else if (!splitImages.count(normal(file)))
            entriesForFile(file, root, TQKitConversionListItem::kFromFolder, out);
    }
}

bool SourceScanner::isDestination(const std::filesystem::path& folder) const
{
    if (settings_.asSourceFolder || settings_.destinationFolder.empty())
        return false;
    std::error_code ec;
    return fs::equivalent(folder, settings_.destinationFolder, ec);
}

void SourceScanner::addTracks(const std::string& sheetPath, const lists::CueSheet& sheet, const std::string& root,
                              uint32_t flags, std::vector<SourceEntry>& out) const
{
    if (accept_ && !accept_(sheetPath))
        return;
    for (const lists::CueTrack& track : sheet.tracks) {
        SourceEntry entry{normal(track.imageFile), root, flags, Kind::Convert, {}};
        entry.origin.fileName = trackFileName(track);
        entry.origin.span = SourceSpan{track.startFrame, track.endFrame};
        entry.origin.trackTags = trackTags(sheet, track);
        entry.origin.sheets = {sheetPath};
        out.push_back(std::move(entry));
    }
}

bool SourceScanner::isAcceptedList(const std::string& path) const
{
    const auto kind = lists::playlistKindForPath(path);
    return !insideList_ && kind && (lists::isLinkFile(*kind) ? settings_.acceptShortcuts : settings_.acceptPlaylists);
}

// The entries of a source playlist in its order. Lists inside lists are not followed, so a list
// that names itself (or its own folder) cannot loop.
void SourceScanner::addPlaylist(const std::string& path, uint32_t flags, std::vector<SourceEntry>& out) const
{
    struct InsideList {
        bool& flag;
        explicit InsideList(bool& f) : flag(f) { flag = true; }
        ~InsideList() { flag = false; }
    } inside(insideList_);
    lists::SourcePlaylist list;
    if (Status s = lists::SourcePlaylistReader().readFile(path, list); !s) {
        out.push_back(unusable(path, s.message()));
        return;
    }
    using State = lists::PlaylistEntry::State;
    for (const lists::PlaylistEntry& entry : list.entries) {
        if (stopped_ && stopped_())
            return;
        const size_t first = out.size();
        std::error_code ec;
        if (entry.state == State::Remote)
            out.push_back({entry.url, {}, TQKitConversionListItem::kRemote, Kind::Convert, {}});
        else if (entry.state != State::Found)
            out.push_back(unusable(entry.path.empty() ? entry.location : entry.path.string(), entry.problem));
        else if (lists::playlistKindForPath(entry.path))
            out.push_back(unusable(entry.path.string(), "a playlist inside a playlist is not followed"));
        else if (fs::is_directory(entry.path, ec))
            addFolder(entry.path.string(), out);
        else if (!fs::is_regular_file(entry.path, ec))
            out.push_back(unusable(entry.path.string(), problemOfSpecialFile(entry.path.string())));
        else
            entriesForFile(normal(entry.path), {}, flags & ~TQKitConversionListItem::kFromFolder, out);
        for (size_t i = first; i < out.size(); ++i)
            out[i].origin.playlist = path;
    }
}

void SourceScanner::entriesForFile(const std::string& path, const std::string& root, uint32_t flags,
                                   std::vector<SourceEntry>& out) const
{
    if (settings_.cueSheets && lowerExtension(path) == "cue") {
        lists::CueSheet sheet;
        if (Status s = lists::CueSheetReader().readFile(path, sheet); !s)
            out.push_back(unusable(path, s.message()));
        else
            addTracks(path, sheet, root, flags, out);
        return;
    }
    if (isAcceptedList(path)) {
        addPlaylist(path, flags, out);
        return;
    }
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
