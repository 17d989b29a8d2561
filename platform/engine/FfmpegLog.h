#pragma once

namespace sonvale::engine {

// FFmpeg writes its own remarks on damaged files and pictures to the standard error stream; the
// engine reports what went wrong in each item's outcome instead. Silences FFmpeg's log for the
// whole process, once; any thread.
void silenceFfmpegLog();

} // namespace sonvale::engine
