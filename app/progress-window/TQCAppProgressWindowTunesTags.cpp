#include "app/progress-window/TQCAppProgressWindowTunesTags.h"

#include "platform/tqkit/TQKitMusicLibrary.h"
#include "platform/tqkit/TQKitTagKeys.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <strings.h>
#include <unistd.h>

namespace {

using nlohmann::json;

// The fields of a track in the order they are handed over: single fields by tag identifier,
// number pairs by identifier and their two properties.
struct Field {
    uint32_t tagId;
    const char* property;
    const char* totalProperty; // a pair's second part, or null
};

constexpr Field kFields[] = {
    {1, "title", nullptr},          {3, "album", nullptr},           {9, "albumArtist", nullptr},
    {2, "artist", nullptr},         {6, "comment", nullptr},         {18, "composer", nullptr},
    {4, "genre", nullptr},          {12, "grouping", nullptr},       {69, "lyrics", nullptr},
    {59, "sortAlbum", nullptr},     {58, "sortArtist", nullptr},     {64, "podcastCategory", nullptr},
    {66, "podcastDescription", nullptr}, {56, "sortTitle", nullptr}, {37, "sortComposer", nullptr},
    {31, "work", nullptr},          {27, "movement", nullptr},       {17, "isClassical", nullptr},
    {10, "tempo", nullptr},         {8, "discNumber", "discsTotal"}, {7, "trackNumber", "tracksTotal"},
    {5, "year", nullptr},           {15, "isCompilation", nullptr},  {48, "media", nullptr},
    {14, "rating", nullptr},        {75, "playCounter", nullptr},    {16, "isPodcast", nullptr},
    {76, "releaseDate", nullptr},   {70, "movementNumber", "movementsTotal"},
};

// A single field: a non-empty text as it is, a number above 0 in decimal, a true flag as "1";
// anything else gives nothing.
std::string singleValue(const json& properties, const char* property)
{
    const auto it = properties.find(property);
    if (it == properties.end())
        return {};
    if (it->is_string())
        return it->get<std::string>();
    if (it->is_boolean())
        return it->get<bool>() ? "1" : "";
    if (it->is_number()) {
        const auto value = static_cast<long long>(it->get<double>());
        return value > 0 ? std::to_string(value) : std::string();
    }
    return {};
}

// A part of a number pair, from a text or a number; anything else counts as 0.
long long pairPart(const json& properties, const char* property)
{
    const auto it = properties.find(property);
    if (it == properties.end())
        return 0;
    if (it->is_number())
        return static_cast<long long>(it->get<double>());
    if (it->is_string())
        return std::strtoll(it->get<std::string>().c_str(), nullptr, 10);
    return 0;
}

std::string pairValue(const json& properties, const char* first, const char* second)
{
    const long long number = pairPart(properties, first);
    const long long total = pairPart(properties, second);
    if (number < 1)
        return {};
    return total < 1 ? std::to_string(number) : std::to_string(number) + "/" + std::to_string(total);
}

const std::string* findEntry(const TQKitTagList& tags, const char* name)
{
    for (const auto& [key, value] : tags)
        if (strcasecmp(key.c_str(), name) == 0)
            return &value;
    return nullptr;
}

// Waits for the library's lock; false when the conversion stopped first.
bool lockLibrary(std::unique_lock<TQKitMutex>& lock, TQKitConversionList* list)
{
    while (!lock.try_lock()) {
        if (TQKitConversionListIsStopped(list))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (TQKitConversionListIsStopped(list))
            return false;
    }
    return true;
}

} // namespace

bool TQCAppProgressWindowTunesTags(TQKitConversionList* list, const QVariantMap& trackSearchDict, TQKitTagList* tags)
{
    if (!tags || trackSearchDict.isEmpty() || TQKitConversionListIsStopped(list))
        return false;
    std::unique_lock lock(TQKitMusicLibraryMutex(), std::defer_lock);
    if (!lockLibrary(lock, list))
        return false;

    const std::string* local = findEntry(*tags, "_PATH_LOCAL");
    const std::string* temp = findEntry(*tags, "_PATH_TEMP");
    if (!local || local->empty() || !temp || temp->empty())
        return false;
    const QVariant id = trackSearchDict.value(QString::fromStdString(*local));
    if (id.typeId() != QMetaType::QString)
        return false;
    const std::optional<TQKitMusicTrack> track = TQKitMusicTrackWithId(id.toString().toStdString());
    if (!track || !track->properties.is_object() || track->properties.empty())
        return false;

    TQKitTagList answer;
    for (const Field& field : kFields) {
        const char* name = TQKitTagName(field.tagId);
        if (!name || !*name)
            continue;
        std::string value = field.totalProperty ? pairValue(track->properties, field.property, field.totalProperty)
                                                : singleValue(track->properties, field.property);
        if (!value.empty())
            answer.emplace_back(name, std::move(value));
    }
    for (const char* date : {"dateAdded", "dateModified"}) {
        if (std::string value = singleValue(track->properties, date); !value.empty())
            answer.emplace_back(date, std::move(value));
    }

    const std::vector<uint8_t> artwork = TQKitMusicTrackArtwork(*track);
    QImage image;
    if (!artwork.empty() && image.loadFromData(artwork.data(), static_cast<int>(artwork.size()))) {
        char path[4096];
        std::snprintf(path, sizeof path, "%s/artwork_%x.jpg", temp->c_str(), static_cast<unsigned>(gettid()));
        if (image.save(QString::fromUtf8(path), "JPEG", 90))
            answer.emplace_back("_PATH_ARTWORK", path);
    }
    *tags = std::move(answer);
    return true;
}
