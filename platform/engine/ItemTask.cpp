#include "platform/engine/ItemTask.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/engine/EncoderPlanner.h"
#include "platform/engine/PartialFile.h"
#include "platform/engine/ResultCommitter.h"
#include "platform/engine/TagListNames.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/WorkFolders.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;
using Item = TQKitConversionListItem;

Artwork readArtworkFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    Artwork art;
    art.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    art.mimeType = art.data.size() > 4 && art.data[0] == '\x89' && art.data[1] == 'P' ? "image/png" : "image/jpeg";
    return art;
}

int leadingNumber(const std::string& text)
{
    return std::atoi(text.c_str()); // "3/12" is track 3
}

lists::ResultPlaylistEntry playlistEntryFor(const ItemOutcome& outcome)
{
    const TagSet& tags = outcome.namingTags;
    lists::ResultPlaylistEntry entry;
    entry.title = tags.value("TITLE");
    entry.artist = tags.value("ARTIST");
    entry.album = tags.value("ALBUM");
    entry.albumArtist = tags.value("ALBUMARTIST");
    entry.genre = tags.value("GENRE");
    entry.year = leadingNumber(tags.value("DATE"));
    entry.discNumber = leadingNumber(tags.value("DISCNUMBER"));
    entry.trackNumber = leadingNumber(tags.value("TRACKNUMBER"));
    entry.durationMs = outcome.durationMs;
    return entry;
}

// Names in paths carry no tags above the folder the user chose (or above the home folder), so
// "home" or "Music" never becomes an album.
std::string pathTagsBase(const std::string& sourceRoot)
{
    if (!sourceRoot.empty())
        return fs::path(sourceRoot).parent_path().string();
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

std::string withNotes(std::string done, const std::vector<std::string>& notes)
{
    for (size_t i = 0; i < notes.size(); ++i)
        done += (i == 0 ? " (" : "; ") + notes[i];
    return notes.empty() ? done : done + ")";
}

} // namespace

ItemTask::ItemTask(TQKitConversionList& list, TQKitConversionListItem& item, ItemRunner& runner, TagLookup& lookup,
                   DestinationPlanner::PatternRenderer renderer, const DownloadLimits& downloads,
                   const PageMediaFinder::Options& pageFinder)
    : list_(list), item_(item), runner_(runner), lookup_(lookup), settings_(list.runningSettings()),
      planner_(settings_, std::move(renderer)), downloads_(downloads), pageFinder_(pageFinder)
{
}

ItemTask::~ItemTask()
{
    std::error_code ignored;
    if (!temporary_.empty())
        fs::remove(temporary_, ignored);
    if (!workFolder_.empty())
        fs::remove_all(workFolder_, ignored);
}

void ItemTask::run()
{
    // Nothing may end the process from a converter thread: whatever goes wrong fails this item.
    try {
        runSteps();
    } catch (const std::exception& e) {
        fail(Status::failure(std::string("unexpected error (") + e.what() + ")"));
    }
}

void ItemTask::runSteps()
{
    if (!item_.origin().problem.empty())
        return fail(Status::failure(item_.origin().problem));
    item_.setStatus(Item::Opening);
    if (Status s = prepareWorkFolder(); !s)
        return fail(s);
    if (item_.flags() & Item::kRemote)
        if (Status s = fetchRemoteSource(); !s)
            return fail(s);
    if (item_.kind() == Item::Kind::Copy)
        copy();
    else
        convert();
}

Status ItemTask::prepareWorkFolder()
{
    return WorkFolders::create(workFolder_);
}

UrlDownloader::Events ItemTask::downloadEvents()
{
    UrlDownloader::Events events;
    events.connecting = [this](const std::string& host) {
        list_.notify(13, const_cast<char*>(host.c_str()));
    };
    events.received = [this](double bytes) { list_.notify(11, &bytes); };
    return events;
}

Status ItemTask::fetchRemoteSource()
{
    if (const std::optional<PageMedia>& media = item_.origin().pageMedia)
        return fetchPageMedia(*media);
    const fs::path local = workFolder_ / DestinationPlanner::safeName(item_.name());
    const auto pages = item_.flags() & Item::kNoWebPages ? UrlDownloader::WebPages::Refuse
                                                          : UrlDownloader::WebPages::Download;
    bool webPage = false;
    if (Status s = UrlDownloader::download(item_.sourcePath(), local, list_.stopFlag(), downloadEvents(), downloads_,
                                           pages, &webPage);
        !s)
        return s;
    if (webPage)
        return findPageMedia(local);
    list_.setLocalSource(item_, local);
    return Status::success();
}

Status ItemTask::findPageMedia(const fs::path& pageFile)
{
    std::string pageText;
    {
        std::ifstream in(pageFile, std::ios::binary);
        pageText.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::error_code ignored;
    fs::remove(pageFile, ignored);
    std::vector<PageMedia> media;
    if (Status s = PageMediaFinder::find(item_.sourcePath(), pageText, list_.stopFlag(), media, pageFinder_); !s)
        return s;
    list_.addPageMedia(item_, {media.begin() + 1, media.end()});
    return fetchPageMedia(media.front());
}

Status ItemTask::fetchPageMedia(const PageMedia& media)
{
    pageMedia_ = media;
    const fs::path local = workFolder_ / DestinationPlanner::safeName(PageMediaFinder::fileNameOf(media));
    if (Status s = UrlDownloader::download(media.url, local, list_.stopFlag(), downloadEvents(), downloads_); !s)
        return s;
    list_.setLocalSource(item_, local);
    return Status::success();
}

// Callback 16 (the defaults) and then 17 (replacements) see the file's local path and the item's
// temporary folder; a list that comes back without "_PATH_LOCAL" was replaced by tags.
std::optional<TagSet> ItemTask::askApplicationForTags()
{
    item_.setStatus(Item::LoadingTags);
    std::optional<TagSet> answer;
    for (uint32_t type : {16u, 17u}) {
        TQKitTagList tags{{"_PATH_LOCAL", item_.localSourcePath()}, {"_PATH_TEMP", workFolder_.string()}};
        list_.notify(type, &tags);
        const bool replaced = std::none_of(tags.begin(), tags.end(), [](const auto& t) { return t.first == "_PATH_LOCAL"; });
        if (!replaced)
            continue;
        TagSet set;
        for (const auto& [name, value] : tags) {
            if (name == "_PATH_ARTWORK")
                set.artwork = readArtworkFile(value);
            else if (const std::string property = TagListNames::propertyFor(name); !property.empty())
                set.fields.emplace_back(property, value);
        }
        answer = std::move(set);
    }
    return answer;
}

DestinationPlanner::Request ItemTask::request(const std::string& extension, TagSet tags) const
{
    // A page's media is named after its title (or its own address), not after the page.
    const std::string fileName = pageMedia_ ? PageMediaFinder::fileNameOf(*pageMedia_) : item_.origin().fileName;
    return {item_.sourcePath(), item_.sourceRoot(), extension, std::move(tags), fileName};
}

void ItemTask::convert()
{
    const std::string extension = EncoderPlanner::extensionFor(settings_.output);
    fs::path folder, wanted;
    if (Status s = planner_.folderFor(request(extension), folder); !s)
        return fail(s);
    // Without names from tags the result's place is known now: skip before doing the work.
    const bool namedByTags = (settings_.renameFiles && !settings_.fileNamePattern.empty())
                             || (settings_.organizeFolders && !settings_.folderPattern.empty());
    if (!namedByTags && planner_.pathFor(request(extension), wanted) && ResultCommitter::wouldSkip(wanted, settings_.overwritePolicy))
        return item_.complete("Skipped: the destination file exists", Item::kNeutral, Item::Skipped);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        return fail(Status::failure("cannot create the destination folder (" + ec.message() + ")"));

    if (Status s = PartialFile::create(folder, temporary_); !s)
        return fail(s);
    const ItemJob job = jobFor(temporary_);
    if (list_.isStopped())
        return fail(Status::failure("stopped"));

    item_.setStatus(Item::Converting);
    // After an analysis pass (adjusting the volume, trimming) the item's progress goes on from the
    // middle, so that neither it nor the batch's ever runs backwards.
    bool analysed = false;
    const ItemOutcome outcome = runner_.run(job, list_.stopFlag(), [this, &analysed](int status, double fraction) {
        const bool analysing = status != Item::Converting;
        analysed = analysed || analysing;
        item_.setStatus(status);
        item_.setProgress(!analysed ? fraction : analysing ? fraction / 2 : 0.5 + fraction / 2);
        list_.reportProgress();
    });
    if (!outcome.status)
        return fail(outcome.status);
    item_.setStatus(settings_.organizeFolders ? Item::Organizing : Item::MovingResult);
    if (Status s = planner_.pathFor(request(outcome.extension, outcome.namingTags), wanted); !s)
        return fail(s);
    playlistEntry_ = playlistEntryFor(outcome);
    place(temporary_, wanted, withNotes("Converted", outcome.notes));
}

ItemJob ItemTask::jobFor(const fs::path& output)
{
    ItemJob job;
    job.sourcePath = item_.localSourcePath();
    job.outputPath = output;
    job.settings = settings_.output;
    job.span = item_.origin().span;
    job.effects = settings_.effects;
    job.transferTags = settings_.transferTags;
    job.stripTags = settings_.stripTags;
    if (settings_.tagsFromPaths && !(item_.flags() & Item::kRemote))
        job.tagsFromPath = {item_.sourcePath(), pathTagsBase(item_.sourceRoot()), settings_.folderPattern,
                            settings_.fileNamePattern};
    job.artwork = settings_.artwork;
    job.trackTags = item_.origin().trackTags;
    job.replacementTags = askApplicationForTags();
    if (settings_.tagsFromNetwork && !list_.isStopped()) {
        item_.setStatus(Item::LoadingTags);
        job.lookedUpTags = lookup_.lookUp(item_.localSourcePath(), list_.stopFlag());
    }
    // What the page says of its media fills what the source's own tags leave empty.
    if (pageMedia_)
        for (const auto& [name, value] : {std::pair{"TITLE", pageMedia_->title}, {"ARTIST", pageMedia_->artist},
                                          {"DATE", pageMedia_->year}})
            if (!value.empty() && job.lookedUpTags.value(name).empty())
                job.lookedUpTags.fields.emplace_back(name, value);
    return job;
}

void ItemTask::copy()
{
    item_.setStatus(Item::Copying);
    fs::path folder, wanted;
    if (Status s = planner_.folderFor(request({}), folder); !s)
        return fail(s);
    wanted = folder / DestinationPlanner::safeName(fs::path(item_.localSourcePath()).filename().string());
    if (ResultCommitter::wouldSkip(wanted, settings_.overwritePolicy))
        return item_.complete("Skipped: the destination file exists", Item::kNeutral, Item::Skipped);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        return fail(Status::failure("cannot create the destination folder (" + ec.message() + ")"));
    if (Status s = PartialFile::create(folder, temporary_); !s)
        return fail(s);
    if (Status s = PartialFile::copyFrom(item_.localSourcePath(), temporary_); !s)
        return fail(s);
    place(temporary_, wanted, "Copied");
}

void ItemTask::place(const fs::path& temporary, const fs::path& wanted, const std::string& done)
{
    std::error_code ec;
    fs::create_directories(wanted.parent_path(), ec);
    fs::path written;
    ResultCommitter::Outcome outcome;
    {
        // Two sources of one batch that name the same result (a.flac and a.wav) both keep theirs.
        auto placing = list_.lockResultPlacement();
        const int policy = list_.wroteResult(wanted.string()) ? 2 : settings_.overwritePolicy;
        if (Status s = ResultCommitter::commit(temporary, wanted, item_.localSourcePath(), policy,
                                               settings_.backupPreviousVersion, written, outcome);
            !s)
            return fail(s);
        if (outcome == ResultCommitter::Outcome::Written)
            list_.addWrittenResult(written.string());
    }
    if (playlistEntry_) {
        playlistEntry_->file = written;
        item_.setPlaylistEntry(*playlistEntry_);
    }
    temporary_.clear();
    if (outcome == ResultCommitter::Outcome::SkippedExisting)
        return item_.complete("Skipped: the destination file exists", Item::kNeutral, Item::Skipped);
    const bool copied = item_.kind() == Item::Kind::Copy;
    item_.complete(done, Item::kCanShowResult | Item::kSucceeded, copied ? Item::Copied : Item::Converted,
                   written.string());
}

void ItemTask::fail(const Status& why)
{
    if (list_.isStopped())
        return item_.complete("Stopped", Item::kNeutral, Item::Stopped);
    item_.complete("Failed: " + why.message(), Item::kFailed, Item::Failed);
}

} // namespace sonvale::engine
