// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashFrameCursor.h"

#include "crashcapture/TQCrashDwarfFrameReader.h"
#include "crashcapture/TQCrashFramePointerReader.h"

namespace tqcrash::async {

namespace {
// The lowest page is never code: a return address at or below it ends the walk.
constexpr std::uint64_t kLowestInstructionPointer = 0x1000;
}

frame_status frame_lookup_pc(const tqcrash_async_thread_state* state, std::uint64_t* pc) {
    if (!thread_state_has_register(state, TQCRASH_REG_IP)) {
        return FRAME_EBADFRAME;
    }
    const std::uint64_t ip = thread_state_get_register(state, TQCRASH_REG_IP);
    if (ip == 0) {
        return FRAME_ENOTSUP;
    }
    *pc = state->exact_ip ? ip : ip - 1;
    return FRAME_ESUCCESS;
}

void frame_cursor_init(frame_cursor* cursor, const tqcrash_async_thread_state* state, const image_list* images) {
    cursor->images = images;
    cursor->depth = 0;
    cursor->current = *state;
}

frame_status frame_cursor_next(frame_cursor* cursor) {
    static constexpr frame_reader kReaders[] = {dwarf_frame_read, frame_pointer_frame_read};
    return frame_cursor_next_with_readers(cursor, kReaders, sizeof kReaders / sizeof kReaders[0]);
}

frame_status frame_cursor_next_with_readers(frame_cursor* cursor, const frame_reader* readers, std::size_t count) {
    if (cursor->depth == 0) {
        cursor->depth = 1;
        return FRAME_ESUCCESS;
    }
    if (count == 0) {
        return FRAME_EINVAL;
    }
    tqcrash_async_thread_state next;
    frame_status status = FRAME_EINTERNAL;
    const tqcrash_async_thread_state* previous = cursor->depth > 1 ? &cursor->previous : nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        status = readers[i](cursor->images, &cursor->current, previous, &next);
        if (status == FRAME_ESUCCESS) {
            break;
        }
    }
    if (status != FRAME_ESUCCESS) {
        return status;
    }
    if (!thread_state_has_register(&next, TQCRASH_REG_IP) ||
        thread_state_get_register(&next, TQCRASH_REG_IP) <= kLowestInstructionPointer) {
        return FRAME_ENOFRAME;
    }
    cursor->previous = cursor->current;
    cursor->current = next;
    ++cursor->depth;
    return FRAME_ESUCCESS;
}

frame_status frame_cursor_get_register(const frame_cursor* cursor, int reg, std::uint64_t* value) {
    if (!thread_state_has_register(&cursor->current, reg)) {
        return FRAME_ENOTSUP;
    }
    *value = thread_state_get_register(&cursor->current, reg);
    return FRAME_ESUCCESS;
}

} // namespace tqcrash::async
