#include "platform/tqkit/TQTagSettingsRecord.h"

#include "platform/tqkit/TQKitStoredRecord.h"
#include "platform/tqkit/TQKitTagSettingsObserver.h"

namespace {

constexpr const char* kName = "Tags";

// What a person who never changed the tag options gets: results carry their sources' tags and
// artwork, as they would from any converter. (The record's own initial values are the preset.)
constexpr TQTagSettingsRecord kStoredDefaults{.transferTags = true};

} // namespace

void TQKitTagSettingsLoad(TQTagSettingsRecord* record)
{
    if (!record)
        return;
    const TQKitStoredRecord stored = TQKitStoredRecord::load(kName);
    const TQTagSettingsRecord& defaults = kStoredDefaults;
    record->transferTags = stored.flag("transferTags", defaults.transferTags);
    record->loadTagsFromPaths = stored.flag("loadTagsFromPaths", defaults.loadTagsFromPaths);
    record->loadTagsFromNetwork = stored.flag("loadTagsFromNetwork", defaults.loadTagsFromNetwork);
    record->stripTags = stored.flag("stripTags", defaults.stripTags);
    record->launchLyrebook = stored.flag("launchLyrebook", defaults.launchLyrebook);
    record->convertArtworkFormat =
        stored.flag("convertArtworkFormat", defaults.convertArtworkFormat);
    record->artworkFormatIndex =
        stored.integerIn("artworkFormatIndex", defaults.artworkFormatIndex, 0, 255);
    record->limitArtworkSize = stored.flag("limitArtworkSize", defaults.limitArtworkSize);
    record->maxArtworkSize = stored.integerIn("maxArtworkSize", defaults.maxArtworkSize, 16, 16384);
}

void TQKitTagSettingsSave(const TQTagSettingsRecord* record, int notify)
{
    if (!record)
        return;
    TQKitStoredRecord stored;
    stored.set("transferTags", record->transferTags);
    stored.set("loadTagsFromPaths", record->loadTagsFromPaths);
    stored.set("loadTagsFromNetwork", record->loadTagsFromNetwork);
    stored.set("stripTags", record->stripTags);
    stored.set("launchLyrebook", record->launchLyrebook);
    stored.set("convertArtworkFormat", record->convertArtworkFormat);
    stored.set("artworkFormatIndex", record->artworkFormatIndex);
    stored.set("limitArtworkSize", record->limitArtworkSize);
    stored.set("maxArtworkSize", record->maxArtworkSize);
    stored.save(kName);
    if (notify == 1)
        TQKitTagSettingsObserverNotify();
}

void TQKitTagSettingsReset() { TQKitStoredRecord::remove(kName); }
