#include "platform/engine/ItemConverter.h"

#include <filesystem>

#include "platform/engine/ArtworkConverter.h"
#include "platform/engine/EncoderPlanner.h"
#include "platform/engine/PathTags.h"
#include "platform/engine/TagReader.h"
#include "platform/engine/TagWriter.h"
#include "platform/engine/Transcoder.h"

namespace sonvale::engine {
namespace {

// The tags the result carries, with its artwork converted as asked. A picture that can't be
// converted is kept as it was and named in `notes`.
TagSet tagsToWrite(const ItemJob& job, const TagSet& naming, std::vector<std::string>& notes)
{
    if (job.stripTags || (!job.transferTags && !job.replacementTags))
        return {};
    TagSet tags = naming;
    if (job.artworkFormat != 0 || job.maxArtworkSide > 0)
        if (Status s = ArtworkConverter::convert(tags.artwork, ArtworkConverter::Format(job.artworkFormat),
                                                 job.maxArtworkSide);
            !s)
            notes.push_back("artwork kept as it was: " + s.message());
    return tags;
}

} // namespace

ItemOutcome ItemConverter::run(const ItemJob& job, const std::atomic<bool>* stopFlag, const Progress& progress,
                               SampleProcessor* processor)
{
    ItemOutcome outcome;
    outcome.extension = EncoderPlanner::extensionFor(job.settings);
    Transcoder transcoder(stopFlag, progress);
    outcome.status = transcoder.run(job.sourcePath, job.outputPath, job.settings, processor);
    if (outcome.status) {
        outcome.notes = transcoder.plan().notes;
        outcome.namingTags = job.replacementTags ? *job.replacementTags : TagReader::read(job.sourcePath);
        if (!job.tagsFromPath.empty())
            PathTags::fillMissing(outcome.namingTags, job.tagsFromPath);
        outcome.status = TagWriter::write(job.outputPath, tagsToWrite(job, outcome.namingTags, outcome.notes),
                                          transcoder.plan());
    }
    if (!outcome.status) {
        std::error_code ignored;
        std::filesystem::remove(job.outputPath, ignored);
    }
    return outcome;
}

} // namespace sonvale::engine
