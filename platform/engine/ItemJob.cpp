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
           {"tagsFromPath", tagsFromPath},
           {"artworkFormat", artworkFormat},
           {"maxArtworkSide", maxArtworkSide}};
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
        job.tagsFromPath = j.at("tagsFromPath");
        job.artworkFormat = j.at("artworkFormat");
        job.maxArtworkSide = j.at("maxArtworkSide");
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
                {"extension", extension}}
        .dump();
}

Status ItemOutcome::fromJson(const std::string& text, ItemOutcome& outcome)
{
    return parseJson(text, [&](const json& j) {
        outcome.status = j.at("ok").get<bool>() ? Status::success() : Status::failure(j.at("message"));
        outcome.notes = j.at("notes").get<std::vector<std::string>>();
        outcome.namingTags = tagsFromJson(j.at("tags"));
        outcome.extension = j.at("extension");
    });
}

} // namespace sonvale::engine
