#pragma once

#include "platform/engine/BatchSettings.h"
#include "platform/tqkit/TQTaskInfoRecord.h"

namespace sonvale::engine {

// Reads a batch record into the engine's batch settings. The MP3 and M4A options come from their
// blocks; WAV and AIFF options from the first further-options block (codec, sample rate, channels,
// tag format: one 32-bit value each), FLAC options from the second (sample rate, channels,
// compression, bit depth, a kept value, tag format). Pure.
class TaskInfoMapping final {
public:
    static BatchSettings fromRecord(const TQTaskInfoRecord& record);
};

} // namespace sonvale::engine
