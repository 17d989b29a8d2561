#pragma once

// The converted files of one batch, gathered through TQKitConversionListEnumerateResults with one
// of the callbacks below: every file, the distinct folders that hold them, the distinct parents of
// those folders and the one folder common to all. The progress window chooses what to reveal or
// export from it. Qt-free; the caller owns the set and fills it on one thread.

#include <string>
#include <vector>

struct TQResultPathSet {
    // The deepest folder that holds every collected file, found by whole path components (so
    // ".../Album1" and ".../Album2" share ".../", never ".../Album"); empty until the first file.
    std::string commonFolder;
    std::vector<std::string> folders;       // distinct, in order of first appearance
    std::vector<std::string> parentFolders; // distinct folders of `folders`, in order of first appearance
    std::vector<std::string> files;         // every collected path, in enumeration order, duplicates kept
};

// Callbacks of TQKitConversionListEnumerateResults; `data` is the TQResultPathSet. Paths that no
// longer exist are skipped. A null path counts as the empty text.
// Every result; always goes on.
bool TQResultPathCollect(void* context, const char* path, void* data);
// Results that TQKitIsExportableAudioFile accepts; always goes on.
bool TQResultPathCollectExportable(void* context, const char* path, void* data);
// Stops after the first exportable result.
bool TQResultPathFindExportable(void* context, const char* path, void* data);

// Empties the set.
void TQResultPathSetDestroy(TQResultPathSet* set);
