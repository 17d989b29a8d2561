#include "platform/tqkit/TQTaskInfoRecord.h"

namespace {

template <typename Storage>
void release(Storage& storage)
{
    Storage().swap(storage);
}

} // namespace

void TQKitTaskInfoInit(TQTaskInfoRecord* record)
{
    if (!record)
        return;
    *record = TQTaskInfoRecord();
    record->formatCode = kTQTaskInfoFormatM4A;
    record->overwritePolicy = 2;
    record->acceptedPlaylistType = 16;
    record->fixedValue = 60;
    record->trimSilenceThreshold = -40.0;
    record->playlist.playlistType = 16;
    record->playlist.sortOrder = 1;
}

void TQKitTaskInfoSetDestination(TQTaskInfoRecord* record, const char* path, size_t length)
{
    if (!record)
        return;
    record->destinationFolder = path ? std::string(path, length) : std::string();
}

void TQTaskInfoDestroy(TQTaskInfoRecord* record)
{
    if (!record)
        return;
    TQTaskInfoRecord& r = *record;
    release(r.engineBuffer61);
    release(r.engineText60);
    release(r.engineBuffer59);
    release(r.engineText58);
    release(r.engineBuffer57);
    release(r.engineText56);
    release(r.engineBuffer55);
    release(r.engineText54);
    release(r.engineBuffer53);
    release(r.engineText52);
    release(r.engineText51);
    release(r.engineBuffer50);
    release(r.destinationFolder);
    release(r.engineBuffer48);
    release(r.engineBuffer47);
    release(r.secondName);
    release(r.playlistName);
    release(r.fileNamePattern);
    release(r.destinationFolderPattern);
    release(r.subfolderName);
    release(r.engineText41);
}
