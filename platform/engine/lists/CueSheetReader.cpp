#include "platform/engine/lists/CueSheetReader.h"

#include "platform/engine/lists/CueSheetPrescan.h"
#include "platform/system/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <libcue.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>
#include <system_error>

namespace sonvale::lists {
namespace {

constexpr const char* kNoTracks = "The CUE sheet is malformed or lists no tracks";

// 100 hours of audio; anything past it is a corrupt position, not a real disc.
constexpr long kMaxFrame = 100L * 3600 * CueTrack::kFramesPerSecond;

std::mutex& libcueLock()
{
    static std::mutex lock;
    return lock;
}

struct CdDeleter {
    void operator()(Cd* cd) const { cd_delete(cd); }
};
using CdPtr = std::unique_ptr<Cd, CdDeleter>;

// libcue prints "NN: syntax error" on standard error and leaks its disc record for every sheet it
// fails to parse, and its scanner may keep the state a broken sheet left it in, so that the next
// sheet loses its first line. A short-lived child process tries the sheet first, so that this
// process only hands libcue sheets it parses; a sheet that crashes libcue takes only the child.
bool libcueParses(const std::string& text)
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        Cd* cd = cue_parse_string(text.c_str());
        ::_exit(cd && cd_get_ntrack(cd) > 0 ? 0 : 1);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

CdPtr parseWithLibcue(const std::string& text)
{
    std::lock_guard guard(libcueLock());
    if (!libcueParses(text))
        return nullptr;
    return CdPtr(cue_parse_string(text.c_str()));
}

std::string textOf(const char* value)
{
    return value ? std::string(value) : std::string();
}

std::string cdtextField(Cdtext* cdtext, Pti field)
{
    return cdtext ? textOf(cdtext_get(field, cdtext)) : std::string();
}

// A FILE name as the sheet gives it, relative to the sheet's folder. Sheets written on other
// systems may name the image with a folder of that system; the image beside the sheet is meant.
std::filesystem::path resolveImage(const std::filesystem::path& folder, const std::string& name)
{
    std::filesystem::path path = std::filesystem::path(name);
    if (path.is_relative())
        path = folder / path;
    std::error_code error;
    if (std::filesystem::exists(path, error))
        return path;
    const auto cut = name.find_last_of("/\\");
    if (cut != std::string::npos)
        return folder / name.substr(cut + 1);
    return path;
}

CueAlbum albumOf(const Cd* cd, const CueSheetPrescan& prescan)
{
    Cdtext* cdtext = cd_get_cdtext(cd);
    CueAlbum album;
    album.title = cdtextField(cdtext, PTI_TITLE);
    album.performer = cdtextField(cdtext, PTI_PERFORMER);
    album.songwriter = cdtextField(cdtext, PTI_SONGWRITER);
    album.genre = cdtextField(cdtext, PTI_GENRE);
    if (Rem* rem = cd_get_rem(cd))
        album.date = textOf(rem_get(REM_DATE, rem));
    album.discId = prescan.discId().empty() ? cdtextField(cdtext, PTI_DISC_ID) : prescan.discId();
    album.comment = prescan.comment();
    album.discNumber = prescan.discNumber();
    if (!album.discNumber.empty() && !prescan.totalDiscs().empty())
        album.discNumber += "/" + prescan.totalDiscs();
    return album;
}

// Sets where each track starts and ends within its image; see CueTrack.
Status placeTracks(const Cd* cd, std::vector<CueTrack>& tracks)
{
    std::map<std::filesystem::path, size_t> lastTrackOfImage;
    for (size_t i = 0; i < tracks.size(); ++i) {
        const Track* track = cd_get_track(cd, static_cast<int>(i) + 1);
        const long index1 = track_get_index(track, 1);
        const long index0 = track_get_index(track, 0);
        const std::string name = "Track " + std::to_string(tracks[i].number);
        if (index1 < 0)
            return Status::failure(name + " of the CUE sheet has no INDEX 01");
        if (index1 > kMaxFrame)
            return Status::failure(name + " of the CUE sheet starts past 100 hours");

        CueTrack& current = tracks[i];
        const auto previous = lastTrackOfImage.find(current.imageFile);
        if (previous == lastTrackOfImage.end()) {
            current.startFrame = index0 >= 0 && index0 < index1 ? index0 : index1;
        } else {
            CueTrack& before = tracks[previous->second];
            if (index1 <= before.startFrame)
                return Status::failure(name + " of the CUE sheet does not start after the " +
                                       "track before it");
            before.endFrame = index1;
            current.startFrame = index1;
        }
        lastTrackOfImage[current.imageFile] = i;
    }
    return Status::success();
}

} // namespace

CueSheetReader::CueSheetReader(TextDecoder decoder) : decoder_(std::move(decoder)) {}

Status CueSheetReader::readFile(const std::filesystem::path& sheetPath, CueSheet& sheet) const
{
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(sheetPath, sizeError);
    if (!sizeError && size > kMaxSheetBytes)
        return Status::failure("\"" + sheetPath.filename().string() +
                               "\" is too large to be a CUE sheet");
    std::string readError;
    const std::optional<std::string> bytes = readWholeFile(sheetPath, &readError);
    if (!bytes)
        return Status::failure("Cannot read the CUE sheet \"" + sheetPath.string() + "\"" +
                               (readError.empty() ? std::string() : ": " + readError));

    CueSheet parsed;
    if (Status status = readBytes(*bytes, sheetPath.parent_path(), parsed); !status)
        return Status::failure("\"" + sheetPath.filename().string() + "\": " + status.message());
    for (const auto& image : parsed.imageFiles()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(image, error))
            return Status::failure("The CUE sheet \"" + sheetPath.filename().string() +
                                   "\" names the image \"" + image.filename().string() +
                                   "\", which does not exist");
    }
    sheet = std::move(parsed);
    return Status::success();
}

Status CueSheetReader::readEmbedded(std::string_view text, const std::filesystem::path& imagePath,
                                    CueSheet& sheet) const
{
    CueSheet parsed;
    if (Status status = readBytes(text, imagePath.parent_path(), parsed); !status)
        return status;
    if (parsed.imageFiles().size() > 1)
        return Status::failure("The CUE sheet inside \"" + imagePath.filename().string() +
                               "\" describes more than one image");
    for (CueTrack& track : parsed.tracks)
        track.imageFile = imagePath;
    sheet = std::move(parsed);
    return Status::success();
}

Status CueSheetReader::readBytes(std::string_view bytes, const std::filesystem::path& folder,
                                 CueSheet& sheet) const
{
    if (bytes.size() > kMaxSheetBytes)
        return Status::failure("The text is too large to be a CUE sheet");
    std::string text;
    if (Status status = decoder_.decode(bytes, text); !status)
        return status;
    CueSheetPrescan prescan;
    if (Status status = prescan.scan(text); !status)
        return status;
    if (prescan.trackNumbers().empty())
        return Status::failure(kNoTracks);

    const CdPtr cd = parseWithLibcue(prescan.libcueText());
    const int trackCount = cd ? cd_get_ntrack(cd.get()) : 0;
    if (trackCount <= 0)
        return Status::failure(kNoTracks);

    CueSheet parsed;
    parsed.album = albumOf(cd.get(), prescan);
    const bool numbersKnown = prescan.trackNumbers().size() == static_cast<size_t>(trackCount);
    for (int i = 1; i <= trackCount; ++i) {
        const Track* track = cd_get_track(cd.get(), i);
        CueTrack entry;
        entry.number = numbersKnown ? prescan.trackNumbers()[i - 1] : i;
        if (entry.number <= 0)
            entry.number = i;
        const std::string file = textOf(track_get_filename(track));
        if (file.empty())
            return Status::failure("Track " + std::to_string(entry.number) +
                                   " of the CUE sheet has no FILE");
        entry.imageFile = resolveImage(folder, file);
        Cdtext* cdtext = track_get_cdtext(track);
        entry.title = cdtextField(cdtext, PTI_TITLE);
        entry.performer = cdtextField(cdtext, PTI_PERFORMER);
        if (entry.performer.empty())
            entry.performer = parsed.album.performer;
        entry.songwriter = cdtextField(cdtext, PTI_SONGWRITER);
        entry.isrc = textOf(track_get_isrc(track));
        parsed.tracks.push_back(std::move(entry));
    }
    if (Status status = placeTracks(cd.get(), parsed.tracks); !status)
        return status;
    sheet = std::move(parsed);
    return Status::success();
}

} // namespace sonvale::lists
