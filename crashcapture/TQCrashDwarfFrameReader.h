#pragma once

#include "crashcapture/TQCrashFrameCursor.h"

namespace tqcrash::async {

// Steps to the caller through the DWARF call-frame information (".eh_frame", found through
// ".eh_frame_hdr" when the image has one) of the image holding the pc. A caller's pc is a return
// address, so its FDE is looked up at pc - 1 (a call at a function's very end returns past it);
// the pc of the first frame and of a frame interrupted by a signal is exact. Safe in a signal
// handler.
frame_status dwarf_frame_read(const image_list* images, const tqcrash_async_thread_state* current,
                              const tqcrash_async_thread_state* previous, tqcrash_async_thread_state* next);

} // namespace tqcrash::async
