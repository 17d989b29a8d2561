#pragma once

// File-system questions the front end asks about sources and destination folders. Qt-free; any
// thread. Paths are UTF-8 and compared byte for byte (Linux file names are case-sensitive).

#include <string>

enum TQKitPathKind : int {
    kTQKitPathMissing = 0,
    kTQKitPathFile = 1,
    kTQKitPathFolder = 2,
};

// TQKitPathKind of `path` (symbolic links followed); a null or empty path is missing.
int TQKitPathType(const char* path);
bool TQKitPathExists(const char* path);
// Creates the folder and its missing parents. `errorIfExists` makes an existing folder a failure.
bool TQKitDirectoryCreate(const char* path, bool errorIfExists);
// The folder part of `path`: the folder holding a file, or the parent of a folder. Trailing
// separators are ignored; the root's folder is the root; a name without a folder gives "".
std::string TQKitPathFolder(const std::string& path);
// Removes trailing separators (the root stays "/") and repeated separators.
void TQKitPathNormalize(std::string& path);
// True for an audio file that music libraries and tag editors take (by its extension, any case).
bool TQKitIsExportableAudioFile(const char* path);

// True when a file can be created in the folder `path` (tested by creating and removing one).
bool TQKitPathIsWritable(const char* path);

// The default destination folder: "Sonvale" in the user's music folder ($XDG_MUSIC_DIR from the
// user-dirs file, else ~/Music).
std::string TQKitDefaultFolderPath();
