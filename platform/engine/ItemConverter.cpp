#include "platform/engine/ItemConverter.h"

#include <filesystem>

#include "platform/engine/EncoderPlanner.h"
#include "platform/engine/FfmpegLog.h"
#include "platform/engine/TagListNames.h"
#include "platform/engine/TagReader.h"
#include "platform/engine/TagWriter.h"
#include "platform/engine/Transcoder.h"
#include "platform/engine/artwork/ArtworkConverter.h"
#include "platform/tqkit/TQKitPathTags.h"

namespace sonvale::engine {
namespace {

void replaceField(TagSet& tags, const std::string& name, const std::string& value)
{
    std::erase_if(tags.fields, [&](const auto& field) { return field.first == name; });
    tags.fields.emplace_back(name, value);
}

void addMissing(TagSet& tags, const std::string& name, const std::string& value)
{
    if (!value.empty() && tags.value(name).empty())
        replaceField(tags, name, value);
}

// What the file and folder names add to the tags the source lacks.
void addPathTags(TagSet& tags, const PathTagsSource& source)
{
    TQKitTagValues values = TagListNames::valuesFor(tags);
    const TQKitPathTagsPatterns patterns{{source.folderPattern}, {source.fileNamePattern}};
    if (TQKitPathTagsFill(values, source.path, source.baseFolder, patterns) == 0)
        return;
    for (const auto& [name, value] : values)
        if (const std::string property = TagListNames::propertyFor(name); !property.empty())
            addMissing(tags, property, value);
}

// The tags that name and file the result: the application's answer or the source's own, with a
// CUE track's fields over them, then what lookups and names add.
TagSet namingTags(const ItemJob& job)
{
    TagSet tags = job.replacementTags ? *job.replacementTags : TagReader::read(job.sourcePath);
    for (const auto& [name, value] : job.trackTags.fields)
        replaceField(tags, name, value);
    for (const auto& [name, value] : job.lookedUpTags.fields)
        addMissing(tags, name, value);
    if (tags.artwork.empty())
        tags.artwork = job.lookedUpTags.artwork;
    if (!job.tagsFromPath.path.empty())
        addPathTags(tags, job.tagsFromPath);
    return tags;
}

// Normalization, the automatic volume control and a down-mix change the level that loudness
// tags describe: players would correct the result a second time.
bool changesLevel(const ItemJob& job, const Transcoder& transcoder)
{
    return job.effects.normalization != effects::NormalizationMethod::Off || job.effects.automaticVolumeControl
           || transcoder.plan().channels < transcoder.source().channels;
}

void dropLoudnessTags(TagSet& tags)
{
    std::erase_if(tags.fields, [](const auto& field) {
        return field.first.starts_with("REPLAYGAIN_") || field.first.starts_with("R128_") || field.first == "ITUNNORM";
    });
}

// The tags the result carries, with its artwork converted as asked. A picture that can't be
// converted is kept as it was and named in `notes`.
TagSet tagsToWrite(const ItemJob& job, const TagSet& naming, bool levelChanged, std::vector<std::string>& notes)
{
    if (job.stripTags || (!job.transferTags && !job.replacementTags))
        return {};
    TagSet tags = naming;
    if (levelChanged)
        dropLoudnessTags(tags);
    if (job.artwork.changesNothing() || tags.artwork.empty())
        return tags;
    const auto* bytes = reinterpret_cast<const uint8_t*>(tags.artwork.data.data());
    artwork::ConvertedArtwork converted;
    if (Status s = artwork::ArtworkConverter::convert({bytes, tags.artwork.data.size()}, job.artwork, converted); !s)
        notes.push_back("artwork kept as it was: " + s.message());
    else if (converted.changed)
        tags.artwork = {{converted.bytes.begin(), converted.bytes.end()}, converted.mimeType};
    return tags;
}

} // namespace

ItemOutcome ItemConverter::run(const ItemJob& job, const std::atomic<bool>* stopFlag, const Progress& progress)
{
    silenceFfmpegLog();
    ItemOutcome outcome;
    outcome.extension = EncoderPlanner::extensionFor(job.settings);
    Transcoder transcoder(stopFlag, progress);
    outcome.status = transcoder.run(job.sourcePath, job.outputPath, job.settings, {job.span, job.effects});
    if (outcome.status) {
        outcome.notes = transcoder.notes();
        outcome.durationMs = transcoder.framesWritten() * 1000 / std::max(1, transcoder.plan().sampleRate);
        outcome.namingTags = namingTags(job);
        const TagSet tags = tagsToWrite(job, outcome.namingTags, changesLevel(job, transcoder), outcome.notes);
        outcome.status = TagWriter::write(job.outputPath, tags, transcoder.plan(), transcoder.gapless(), outcome.notes);
    }
    if (!outcome.status) {
        std::error_code ignored;
        std::filesystem::remove(job.outputPath, ignored);
    }
    return outcome;
}

} // namespace sonvale::engine
