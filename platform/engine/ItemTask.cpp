#include "platform/engine/ItemTask.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "platform/engine/EncoderPlanner.h"
#include "platform/engine/ResultCommitter.h"
#include "platform/engine/TagListNames.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/UrlDownloader.h"

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

std::string withNotes(std::string done, const std::vector<std::string>& notes)
{
    for (size_t i = 0; i < notes.size(); ++i)
        done += (i == 0 ? " (" : "; ") + notes[i];
    return notes.empty() ? done : done + ")";
}

} // namespace

ItemTask::ItemTask(TQKitConversionList& list, TQKitConversionListItem& item, ItemRunner& runner,
                   DestinationPlanner::PatternRenderer renderer)
    : list_(list), item_(item), runner_(runner), settings_(list.runningSettings()),
      planner_(settings_, std::move(renderer))
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
    std::string pattern = (fs::temp_directory_path() / "sonvale-item-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return Status::failure("cannot create a temporary folder");
    workFolder_ = pattern;
    return Status::success();
}

Status ItemTask::fetchRemoteSource()
{
    const fs::path local = workFolder_ / DestinationPlanner::safeName(item_.name());
    UrlDownloader::Events events;
    events.connecting = [this](const std::string& host) {
        list_.notify(13, const_cast<char*>(host.c_str()));
    };
    events.received = [this](double bytes) { list_.notify(11, &bytes); };
    if (Status s = UrlDownloader::download(item_.sourcePath(), local, list_.stopFlag(), events); !s)
        return s;
    item_.setLocalSourcePath(local);
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
    return {item_.sourcePath(), item_.sourceRoot(), extension, std::move(tags)};
}

// Unique across the lists of this process (item ids are only unique within a list) and across
// processes writing into the same folder.
fs::path ItemTask::temporaryIn(const fs::path& folder) const
{
    static std::atomic<uint64_t> serial{0};
    return folder / (".sonvale-" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + ".part");
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

    ItemJob job;
    job.sourcePath = item_.localSourcePath();
    job.outputPath = temporary_ = temporaryIn(folder);
    job.settings = settings_.output;
    job.transferTags = settings_.transferTags;
    job.stripTags = settings_.stripTags;
    if (settings_.tagsFromPaths && !(item_.flags() & Item::kRemote))
        job.tagsFromPath = item_.sourcePath();
    job.artworkFormat = settings_.artworkFormat;
    job.maxArtworkSide = settings_.maxArtworkSide;
    job.replacementTags = askApplicationForTags();
    if (list_.isStopped())
        return fail(Status::failure("stopped"));

    item_.setStatus(Item::Converting);
    const ItemOutcome outcome = runner_.run(job, list_.stopFlag(), [this](double fraction) {
        item_.setProgress(fraction);
        list_.reportProgress();
    });
    if (!outcome.status)
        return fail(outcome.status);
    item_.setStatus(Item::MovingResult);
    if (Status s = planner_.pathFor(request(outcome.extension, outcome.namingTags), wanted); !s)
        return fail(s);
    place(temporary_, wanted, withNotes("Converted", outcome.notes));
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
    temporary_ = temporaryIn(folder);
    if (ec || !fs::copy_file(item_.localSourcePath(), temporary_, fs::copy_options::overwrite_existing, ec))
        return fail(Status::failure("cannot copy the file (" + ec.message() + ")"));
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
