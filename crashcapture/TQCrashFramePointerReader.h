#pragma once

#include "crashcapture/TQCrashFrameCursor.h"

namespace tqcrash::async {

// Steps along the saved frame-pointer chain: [fp] is the caller's frame pointer, [fp + 8] the return
// address. Refuses a chain that does not move strictly up the stack. Every read is checked. Safe in
// a signal handler.
frame_status frame_pointer_frame_read(const image_list* images, const tqcrash_async_thread_state* current,
                                      const tqcrash_async_thread_state* previous,
                                      tqcrash_async_thread_state* next);

} // namespace tqcrash::async
