#pragma once

// Steps through a thread's stack from a register snapshot, one caller at a time, asking frame
// readers in turn: the image's call-frame tables first, the frame-pointer chain as the fallback.
// Everything here is safe in a signal handler.

#include "crashcapture/TQCrashThreadState.h"

#include <cstddef>
#include <cstdint>

namespace tqcrash::async {

struct image_list;

enum frame_status : int {
    FRAME_ESUCCESS = 0,
    FRAME_ENOFRAME = 2,      // end of the stack
    FRAME_EBADFRAME = 3,
    FRAME_ENOTSUP = 4,       // not for this reader: try the next
    FRAME_EINVAL = 5,
    FRAME_EINTERNAL = 6,
    FRAME_EACCESS = 7,
    FRAME_ENOTFOUND = 8,     // a register without a value
    FRAME_EINVALID_DATA = 9,
};

// Reads the caller's registers of `current` into `next`; `previous` is null at the first step.
using frame_reader = frame_status (*)(const image_list* images, const tqcrash_async_thread_state* current,
                                      const tqcrash_async_thread_state* previous,
                                      tqcrash_async_thread_state* next);

struct frame_cursor {
    const image_list* images;
    std::uint32_t depth;
    tqcrash_async_thread_state previous;
    tqcrash_async_thread_state current;
};

// Where a frame's code is looked up in the tables: the instruction pointer itself when exact, else
// one byte before the return address (the call may be a function's last instruction). 3 without an
// instruction pointer, 4 when it is 0.
frame_status frame_lookup_pc(const tqcrash_async_thread_state* state, std::uint64_t* pc);

void frame_cursor_init(frame_cursor* cursor, const tqcrash_async_thread_state* state, const image_list* images);
// The first call yields the initial state itself; later calls step to the caller.
frame_status frame_cursor_next(frame_cursor* cursor);
frame_status frame_cursor_next_with_readers(frame_cursor* cursor, const frame_reader* readers, std::size_t count);
// 0, or FRAME_ENOTSUP when the register holds no value in the current frame.
frame_status frame_cursor_get_register(const frame_cursor* cursor, int reg, std::uint64_t* value);

} // namespace tqcrash::async
