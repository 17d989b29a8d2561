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
// True when a file can be created in the folder `path` (tested by creating and removing one).
bool TQKitPathIsWritable(const char* path);

// The default destination folder: "Sonvale" in the user's music folder ($XDG_MUSIC_DIR from the
// user-dirs file, else ~/Music).
std::string TQKitDefaultFolderPath();
