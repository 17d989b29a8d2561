#pragma once

// How the conversion start turns the stored settings into a batch's TQTaskInfoRecord. The main
// window controller initialises the record (TQKitTaskInfoInit), sets the destination, then calls
// TQTaskInfoApplySettings and TQTaskInfoApplyOutputFormat; the Apply* functions below are the
// single steps, each a pure function of its arguments. Any thread; nothing is kept.

#include "platform/tqkit/TQEffectsSettingsRecord.h"
#include "platform/tqkit/TQGeneralSettingsRecord.h"
#include "platform/tqkit/TQTagSettingsRecord.h"
#include "platform/tqkit/TQTaskInfoRecord.h"

#include <string>
#include <string_view>

// What the batch itself brings besides the stored settings.
struct TQTaskInfoBatch {
    bool asSourceFolder = false;   // the destination picker's "As Source Folder" item is chosen
    bool musicImport = false;      // the sources come from the Music application
    std::string musicPlaylistName; // the Music playlist's name, made fit to name a folder;
                                   // empty when there is none
};

// Loads the General, Effects and Tags records and applies them in that order, with the reserved
// flag set to 0.
void TQTaskInfoApplySettings(TQTaskInfoRecord* record, const TQTaskInfoBatch& batch);

// The output format: MP3 options and format code 1 when the stored choice is MP3, otherwise
// (M4A, never chosen, or anything else) M4A options and format code 4.
void TQTaskInfoApplyOutputFormat(TQTaskInfoRecord* record);

// General options, the As Source Folder case and the Music playlist name. With As Source Folder
// chosen (and not a Music import) the record's flag is set and copying of images, texts and
// not-converted files is off for the batch. Playlist fields are copied only when the General
// options create a playlist; the names are trimmed (TQKitTextTrim). A Music playlist name becomes
// the one subfolder when folders are replicated (replication then stops), and fills the playlist
// name and the second name when they are empty. Moving sources to the Bin is never taken over for
// a Music import.
void TQTaskInfoApplyGeneral(TQTaskInfoRecord* record, const TQGeneralSettingsRecord& general,
                            const TQTaskInfoBatch& batch);

// Effects: normalization off clears the method and both targets; automatic volume control only
// with normalization; the fixed value 60; durations only when their effect is on; the silence
// threshold with 0 read as -40.0 dBFS and clamped to -70.0 ... -5.0.
void TQTaskInfoApplyEffects(TQTaskInfoRecord* record, const TQEffectsSettingsRecord& effects);

// Tags: the four flags as they stand; artwork items 0 and 1 as conversion codes when conversion is
// on (other items leave the record's value); the size only when it is limited.
void TQTaskInfoApplyTags(TQTaskInfoRecord* record, const TQTagSettingsRecord& tags);

// The silence threshold rule on its own, in dBFS.
double TQTaskInfoSilenceThreshold(double storedThreshold);
