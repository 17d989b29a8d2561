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

// The extension of the last name of `path`, with its dot (".flac"), or "" when it has none (a
// leading dot, as in ".hidden", is not an extension).
std::string TQKitPathExtension(const std::string& path);
// The last name of `path` without its extension.
std::string TQKitPathStem(const std::string& path);
// Whether `path` still names a local file that can be read: a failed item counts in the
// statistics only when its source is still there.
bool TQKitSourcePathTest(const char* path);
// `folder` + "/" + `name` + `suffix` (no doubled separator; an empty folder gives the name alone).
std::string TQKitPathJoin(const std::string& folder, const std::string& name, const std::string& suffix);
// A path in `folder` whose name is printf `format` filled with the arguments.
std::string TQKitPathJoinFormat(const std::string& folder, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// The last name of a package at `path` split into its stem and extension, where a compressed tar
// archive's two extensions count as one: "Sonvale.tar.gz" gives "Sonvale" and ".tar.gz".
struct TQKitPackageName {
    std::string stem;
    std::string extension;
};
TQKitPackageName TQKitPackageNameOf(const std::string& path);
// A free path for a new file at `path`: the path itself when nothing is there, else the first of
// "stem (2).ext", "stem (3).ext", ... (the package's stem and extension) that is free; "" when none
// of the first hundred is.
std::string TQKitPackagePathCandidate(const std::string& path);
bool TQKitFileRemove(const std::string& path);
// Moves a file to `to` (replacing nothing: false when `to` exists); copies and removes across file
// systems. True when the file was placed.
bool TQKitFileMove(const std::string& from, const std::string& to);
