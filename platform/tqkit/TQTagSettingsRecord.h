#pragma once

// The tag options, edited by the Tags page (and the Lyrebook flag by the General page), copied
// into each batch's TQTaskInfoRecord. Stored whole; safe from any thread.

#include <cstdint>

struct TQTagSettingsRecord {
    bool transferTags = false;        // carry the sources' tags (and file attributes) over
    bool loadTagsFromPaths = false;   // fill missing tags from file and folder names
    bool loadTagsFromNetwork = false; // fill missing tags from network services
    bool stripTags = false;           // remove all metadata from the results
    bool launchLyrebook = false;      // open the results in Lyrebook after conversion
    bool convertArtworkFormat = false;
    int32_t artworkFormatIndex = 0;   // item index of the artwork-format pop-up
    bool limitArtworkSize = false;
    int32_t maxArtworkSize = 768;     // pixels

    bool operator==(const TQTagSettingsRecord&) const = default;
};

void TQKitTagSettingsLoad(TQTagSettingsRecord* record);
// Stores the whole record; with notify 1 the registered observer (TQKitTagSettingsObserver.h)
// is called afterwards on its own thread.
void TQKitTagSettingsSave(const TQTagSettingsRecord* record, int notify);
void TQKitTagSettingsReset();
