#pragma once

// The settings of one conversion batch, as the conversion start fills them and the conversion
// engine honours them. The main window controller builds one record per batch and stores a copy
// in the batch's TQKitConversionList; the engine, the progress window, its worker and the
// statistics code each read their own copy back. Every holder owns its copy outright: copying is
// a deep copy (plain C++ value semantics), nothing is shared.
//
// Life of a record: construct it (the member initialisers below are the value-initialised state),
// call TQKitTaskInfoInit, fill it, hand it on, and TQTaskInfoDestroy it when done (or let it go out
// of scope). Fields marked "engine's" belong to the conversion engine: the application never
// reads or writes them after TQKitTaskInfoInit.

#include "platform/tqkit/TQM4ASettingsRecord.h"
#include "platform/tqkit/TQMP3SettingsRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Output format codes of TQTaskInfoRecord::formatCode; the application writes only 1 and 4.
enum TQTaskInfoFormatCode : int32_t {
    kTQTaskInfoFormatMP3 = 1,
    kTQTaskInfoFormatWAV = 2,
    kTQTaskInfoFormatM4A = 4,
};

// Artwork conversion codes of TQTaskInfoRecord::artworkConversion.
enum TQTaskInfoArtworkConversion : int32_t {
    kTQTaskInfoArtworkKeep = 0,          // leave artwork in its own format
    kTQTaskInfoArtworkToJPEG = 0x2000C,  // 131084: artwork-format item 0
    kTQTaskInfoArtworkToPNG = 0x20009,   // 131081: artwork-format item 1
};

// Bytes that belong to the engine (the record's buffers). Owned by the record like its texts.
using TQTaskInfoBuffer = std::vector<uint8_t>;

// Fields 37 to 40: the playlist of the results.
struct TQTaskInfoPlaylist {
    bool createPlaylist = false;     // 37: write a playlist file of the results after conversion
    bool mergeWithExisting = false;  // 38: add to an existing playlist of that name instead of replacing it
    int32_t playlistType = 0;        // 39: playlist format code 16, 128, 32, 8 or 64 (as TQPlaylistCreationOptions)
    int32_t sortOrder = 0;           // 40: sort code 1..12 in the low 8 bits; bit 0x100 = descending
};

struct TQTaskInfoRecord {
    int32_t formatCode = 0;                         // 1: output format, TQTaskInfoFormatCode (1 MP3, 4 M4A; 2 WAV)
    TQMP3SettingsRecord mp3Options;                 // 2: MP3 encoder options; meaningful when formatCode is 1
    std::array<int32_t, 7> furtherOptions3{};       // 3: engine's encoder options; with formatCode 2 the first value is the codec shown in the status line
    TQM4ASettingsRecord m4aOptions;                 // 4: M4A encoder options; meaningful when formatCode is 4
    std::array<int32_t, 7> furtherOptions5{};       // 5: engine's encoder options
    int32_t normalizationMethod = 0;                // 6: 0 peak, 3 loudness (EBU R128); 0 with normalization off
    double peakTargetLevel = 100.0;                 // 7: peak target, percent of full scale (100.0 = 0 dBFS); 0 = no normalization
    double r128TargetLevel = -18.0;                 // 8: loudness target in LUFS; 0 = no normalization
    int32_t overwritePolicy = 0;                    // 9: existing result: 0 overwrite, 1 skip the source, 2 write a new version
    bool backupPreviousVersion = false;             // 10: keep the overwritten result as a backup (policy 0 only)
    bool asSourceFolder = false;                    // 11: write each result beside its source; the worker tests and clears it
    bool acceptNonMediaFiles = false;               // 12: try every file of a source folder whatever its extension
    bool copyNotConvertedFiles = false;             // 13: copy source files that are not converted to the destination
    bool copyImagesAndTexts = false;                // 14: copy the sources' images and texts to the destination
    bool supportCUESheets = false;                  // 15: split albums by their CUE sheets
    bool replicateDirectoryStructure = false;       // 16: rebuild the source folder tree under the destination
    bool organizeDestinationFolders = false;        // 17: build subfolders from destinationFolderPattern (field 43)
    bool renameDestinationFiles = false;            // 18: name results from fileNamePattern (field 44)
    bool automaticVolumeControl = false;            // 19: dynamic volume; set only together with normalization
    bool acceptPlaylists = false;                   // 20: convert source playlists
    int32_t acceptedPlaylistType = 0;               // 21: format of converted source playlists: 0, 16, 128, 32, 8, 64
    bool acceptShortcuts = false;                   // 22: accept Internet shortcuts (WEBLOC, URL, RAM)
    int32_t fixedValue = 0;                         // 23: always 60 once filled by the application
    int32_t limitDurationMs = 0;                    // 24: cut results after this many milliseconds; 0 = no limit
    int32_t fadeInMs = 0;                           // 25: fade-in length in milliseconds; 0 = none
    int32_t fadeOutMs = 0;                          // 26: fade-out length in milliseconds; 0 = none
    bool trimSilence = false;                       // 27: trim silence at the start and the end
    double trimSilenceThreshold = 0.0;              // 28: silence threshold in dBFS, -70.0 to -5.0 once mapped
    bool transferTags = false;                      // 29: carry the sources' tags (and file attributes) over
    bool loadTagsFromPaths = false;                 // 30: fill missing tags from file and folder names
    bool loadTagsFromNetwork = false;               // 31: fill missing tags from network services
    bool stripTags = false;                         // 32: write no metadata at all
    int32_t artworkConversion = 0;                  // 33: TQTaskInfoArtworkConversion: 0 keep, 0x2000C JPEG, 0x20009 PNG
    int32_t maxArtworkSize = 0;                     // 34: largest artwork side in pixels; 0 = no limit
    bool moveToTrashSourceFiles = false;            // 35: move sources to the Bin after success (never for a Music import)
    bool reservedFlag = false;                      // 36: always 0
    TQTaskInfoPlaylist playlist;                    // 37-40: playlist of the results
    std::string engineText41;                       // 41: engine's
    std::string subfolderName;                      // 42: one subfolder for all results (a Music playlist name); untrimmed
    std::string destinationFolderPattern;           // 43: tag pattern of destination subfolders, e.g. "{{artist}}/{{album}}"
    std::string fileNamePattern;                    // 44: tag pattern of result file names, e.g. "{{tracknumber}} - {{title}}"
    std::string playlistName;                       // 45: name of the playlist to create, trimmed; empty = automatic
    std::string secondName;                         // 46: a second name (the Music playlist name when empty); trimmed
    TQTaskInfoBuffer engineBuffer47;                // 47: engine's
    TQTaskInfoBuffer engineBuffer48;                // 48: engine's
    std::string destinationFolder;                  // 49: destination folder path (UTF-8), set by TQKitTaskInfoSetDestination
    TQTaskInfoBuffer engineBuffer50;                // 50: engine's
    std::string engineText51;                       // 51: engine's
    std::string engineText52;                       // 52: engine's
    TQTaskInfoBuffer engineBuffer53;                // 53: engine's
    std::string engineText54;                       // 54: engine's
    TQTaskInfoBuffer engineBuffer55;                // 55: engine's
    std::string engineText56;                       // 56: engine's
    TQTaskInfoBuffer engineBuffer57;                // 57: engine's
    std::string engineText58;                       // 58: engine's
    TQTaskInfoBuffer engineBuffer59;                // 59: engine's
    std::string engineText60;                       // 60: engine's
    TQTaskInfoBuffer engineBuffer61;                // 61: engine's
};

// Sets the defaults every holder starts from: the whole record returns to its value-initialised
// state (encoder options of both formats at their defaults), then format 4 (M4A), overwrite
// policy 2, accepted playlist type 16, the fixed value 60, silence threshold -40.0 dBFS, playlist
// type 16 and sort order 1. Null is ignored.
void TQKitTaskInfoInit(TQTaskInfoRecord* record);

// Stores the destination folder path (field 49): `length` bytes of `path`. A null path stores the
// empty text.
void TQKitTaskInfoSetDestination(TQTaskInfoRecord* record, const char* path, size_t length);

// Releases everything the record owns, from the last field to the first, and leaves every text and
// buffer empty. Safe to call more than once; the record stays usable afterwards.
void TQTaskInfoDestroy(TQTaskInfoRecord* record);
