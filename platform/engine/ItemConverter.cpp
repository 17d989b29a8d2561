#include "platform/engine/ItemConverter.h"

#include <filesystem>

#include "platform/engine/EncoderPlanner.h"
#include "platform/engine/TagReader.h"
#include "platform/engine/TagWriter.h"
#include "platform/engine/Transcoder.h"

namespace sonvale::engine {
namespace {

TagSet tagsToWrite(const ItemJob& job, const TagSet& naming)
{
    if (job.stripTags || (!job.transferTags && !job.replacementTags))
        return {};
    return naming;
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
        outcome.status = TagWriter::write(job.outputPath, tagsToWrite(job, outcome.namingTags), transcoder.plan());
    }
    if (!outcome.status) {
        std::error_code ignored;
        std::filesystem::remove(job.outputPath, ignored);
    }
    return outcome;
}

} // namespace sonvale::engine
