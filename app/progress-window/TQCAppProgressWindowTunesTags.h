#pragma once

// The tags of a file imported from the music library, as the engine asks for them before it
// writes a result (list callback 17): the track's own fields from the library and its artwork.

#include "platform/engine/TQKitConversionList.h"

#include <QVariantMap>

class TQKitConversionList;

// Replaces `tags` (which brings "_PATH_LOCAL" and "_PATH_TEMP") with the fields of the library
// track that `trackSearchDict` gives for the local path (path -> track id), and adds
// "_PATH_ARTWORK" with the artwork written as JPEG to "<_PATH_TEMP>/artwork_<thread>.jpg". False,
// with `tags` untouched, when the file is not a library track or the library cannot say. Waits
// for the library's lock in 10 ms steps, giving up as soon as `list` is stopped.
// Runs on the engine's thread and touches no view.
bool TQCAppProgressWindowTunesTags(TQKitConversionList* list, const QVariantMap& trackSearchDict, TQKitTagList* tags);
