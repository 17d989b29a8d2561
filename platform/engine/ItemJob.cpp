#include "platform/engine/ItemJob.h"

#include <nlohmann/json.hpp>

#include "platform/system/Base64.h"

namespace sonvale::engine {
namespace {

using nlohmann::json;

json optionsToJson(const EncoderOptions& options)
{
    return std::visit(
        [](const auto& o) -> json {
            using T = std::decay_t<decltype(o)>;
            if constexpr (std::is_same_v<T, Mp3Options>)
                return {{"cbr", o.cbr}, {"cbrBitRate", o.cbrBitRate}, {"cbrHighQuality", o.cbrHighQuality},
                        {"vbrMinBitRate", o.vbrMinBitRate}, {"vbrMaxBitRate", o.vbrMaxBitRate},
                        {"vbrQuality", o.vbrQuality}, {"useCrc", o.useCrc}, {"channelMode", o.channelMode},
                        {"sampleRate", o.sampleRate}, {"metadataFormat", o.metadataFormat}};
            else if constexpr (std::is_same_v<T, M4aOptions>)
                return {{"codec", o.codec}, {"sampleRate", o.sampleRate}, {"channels", o.channels},
                        {"bitRate", o.bitRate}, {"quality", o.quality}, {"bitRateMode", o.bitRateMode},
                        {"sampleSize", o.sampleSize}, {"extension", o.extension}};
            else if constexpr (std::is_same_v<T, FlacOptions>)
                return {{"sampleRate", o.sampleRate}, {"channels", o.channels}, {"compressionLevel", o.compressionLevel},
                        {"sampleSize", o.sampleSize}, {"tagsFormat", o.tagsFormat}};
            else
                return {{"codec", o.codec}, {"sampleRate", o.sampleRate}, {"channels", o.channels},
                        {"tagsFormat", o.tagsFormat}};
        },
        options);
}

EncoderOptions optionsFromJson(OutputFormat format, const json& j)
{
    switch (format) {
    case OutputFormat::Mp3:
        return Mp3Options{j.at("cbr"), j.at("cbrBitRate"), j.at("cbrHighQuality"), j.at("vbrMinBitRate"),
                          j.at("vbrMaxBitRate"), j.at("vbrQuality"), j.at("useCrc"), j.at("channelMode"),
                          j.at("sampleRate"), j.at("metadataFormat")};
    case OutputFormat::M4a:
        return M4aOptions{j.at("codec"), j.at("sampleRate"), j.at("channels"), j.at("bitRate"),
                          j.at("quality"), j.at("bitRateMode"), j.at("sampleSize"), j.at("extension")};
    case OutputFormat::Flac:
        return FlacOptions{j.at("sampleRate"), j.at("channels"), j.at("compressionLevel"), j.at("sampleSize"),
                           j.at("tagsFormat")};
    case OutputFormat::Wav:
    case OutputFormat::Aiff:
        return PcmOptions{j.at("codec"), j.at("sampleRate"), j.at("channels"), j.at("tagsFormat")};
    }
    throw std::invalid_argument("unknown output format");
}

json tagsToJson(const TagSet& tags)
{
    json fields = json::array();
    for (const auto& [name, value] : tags.fields)
        fields.push_back({name, value});
    return {{"fields", fields},
            {"artwork", base64Encode(tags.artwork.data.data(), tags.artwork.data.size())},
            {"artworkType", tags.artwork.mimeType}};
}

TagSet tagsFromJson(const json& j)
{
    TagSet tags;
    for (const auto& field : j.at("fields"))
        tags.fields.emplace_back(field.at(0).get<std::string>(), field.at(1).get<std::string>());
    const auto bytes = base64Decode(j.at("artwork").get<std::string>());
    if (!bytes)
        throw std::invalid_argument("artwork is not base64");
    tags.artwork.data.assign(bytes->begin(), bytes->end());
    tags.artwork.mimeType = j.at("artworkType").get<std::string>();
    return tags;
}

json effectsToJson(const effects::EffectsSettings& e)
{
    return {{"normalization", int(e.normalization)}, {"peakTarget", e.peakTargetPercent},
            {"loudnessTarget", e.loudnessTargetLufs}, {"volumeControl", e.automaticVolumeControl},
            {"fadeIn", e.fadeInMs}, {"fadeOut", e.fadeOutMs}, {"durationLimit", e.durationLimitMs},
            {"trimSilence", e.trimSilence}, {"silenceThreshold", e.silenceThresholdDbfs}};
}

effects::EffectsSettings effectsFromJson(const json& j)
{
    effects::EffectsSettings e;
    e.normalization = effects::NormalizationMethod(j.at("normalization").get<int>());
    if (e.normalization > effects::NormalizationMethod::Loudness || e.normalization < effects::NormalizationMethod::Off)
        throw std::invalid_argument("unknown normalization method");
    e.peakTargetPercent = j.at("peakTarget");
    e.loudnessTargetLufs = j.at("loudnessTarget");
    e.automaticVolumeControl = j.at("volumeControl");
    e.fadeInMs = j.at("fadeIn");
    e.fadeOutMs = j.at("fadeOut");
    e.durationLimitMs = j.at("durationLimit");
    e.trimSilence = j.at("trimSilence");
    e.silenceThresholdDbfs = j.at("silenceThreshold");
    return e;
}

// Untrusted text: any malformed field becomes a failure, never an exception past this file.
template <typename Parse>
Status parseJson(const std::string& text, Parse parse)
{
    try {
        parse(json::parse(text));
        return Status::success();
    } catch (const std::exception& e) {
        return Status::failure(std::string("malformed message: ") + e.what());
    }
}

} // namespace

std::string ItemJob::toJson() const
{
    json j{{"source", sourcePath},
           {"output", outputPath},
           {"format", int(settings.format)},
           {"options", optionsToJson(settings.options)},
           {"transferTags", transferTags},
           {"stripTags", stripTags},
           {"effects", effectsToJson(effects)},
           {"tagsFromPath", {tagsFromPath.path, tagsFromPath.baseFolder, tagsFromPath.folderPattern,
                             tagsFromPath.fileNamePattern}},
           {"artworkFormat", int(artwork.format)},
           {"maxArtworkSize", artwork.maxSize},
           {"trackTags", tagsToJson(trackTags)},
           {"lookedUpTags", tagsToJson(lookedUpTags)}};
    if (span)
        j["span"] = {span->startFrame, span->endFrame ? *span->endFrame : -1};
    if (replacementTags)
        j["replacementTags"] = tagsToJson(*replacementTags);
    return j.dump();
}

Status ItemJob::fromJson(const std::string& text, ItemJob& job)
{
    return parseJson(text, [&](const json& j) {
        job.sourcePath = j.at("source");
        job.outputPath = j.at("output");
        job.settings.format = OutputFormat(j.at("format").get<int>());
        job.settings.options = optionsFromJson(job.settings.format, j.at("options"));
        job.transferTags = j.at("transferTags");
        job.stripTags = j.at("stripTags");
        job.effects = effectsFromJson(j.at("effects"));
        const json& paths = j.at("tagsFromPath");
        job.tagsFromPath = {paths.at(0), paths.at(1), paths.at(2), paths.at(3)};
        const int artworkFormat = j.at("artworkFormat");
        if (artworkFormat < 0 || artworkFormat > int(artwork::ArtworkFormat::Png))
            throw std::invalid_argument("unknown artwork format");
        job.artwork = {artwork::ArtworkFormat(artworkFormat), j.at("maxArtworkSize").get<int>()};
        job.trackTags = tagsFromJson(j.at("trackTags"));
        job.lookedUpTags = tagsFromJson(j.at("lookedUpTags"));
        if (j.contains("span")) {
            const int64_t end = j.at("span").at(1);
            job.span = SourceSpan{j.at("span").at(0).get<int64_t>(), end < 0 ? std::nullopt : std::optional(end)};
        }
        if (j.contains("replacementTags"))
            job.replacementTags = tagsFromJson(j.at("replacementTags"));
    });
}

std::string ItemOutcome::toJson() const
{
    return json{{"ok", status.isOk()},
                {"message", status.message()},
                {"notes", notes},
                {"tags", tagsToJson(namingTags)},
                {"extension", extension},
                {"durationMs", durationMs}}
        .dump();
}

Status ItemOutcome::fromJson(const std::string& text, ItemOutcome& outcome)
{
    return parseJson(text, [&](const json& j) {
        outcome.status = j.at("ok").get<bool>() ? Status::success() : Status::failure(j.at("message"));
        outcome.notes = j.at("notes").get<std::vector<std::string>>();
        outcome.namingTags = tagsFromJson(j.at("tags"));
        outcome.extension = j.at("extension");
        outcome.durationMs = j.at("durationMs");
    });
}

} // namespace sonvale::engine
