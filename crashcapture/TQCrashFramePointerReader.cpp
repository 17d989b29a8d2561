// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashFramePointerReader.h"

#include "crashcapture/TQCrashTaskMemory.h"

namespace tqcrash::async {

frame_status frame_pointer_frame_read(const image_list*, const tqcrash_async_thread_state* current,
                                      const tqcrash_async_thread_state* previous,
                                      tqcrash_async_thread_state* next) {
    if (!thread_state_has_register(current, TQCRASH_REG_FP)) {
        return FRAME_EBADFRAME;
    }
    const std::uint64_t framePointer = thread_state_get_register(current, TQCRASH_REG_FP);
    if (framePointer == 0) {
        return FRAME_ENOFRAME;
    }
    if (previous != nullptr && thread_state_has_register(previous, TQCRASH_REG_FP)) {
        const std::uint64_t previousPointer = thread_state_get_register(previous, TQCRASH_REG_FP);
        const bool wrongWay = current->stack_direction == TQCRASH_STACK_GROWS_DOWN
                                  ? framePointer < previousPointer
                                  : framePointer > previousPointer;
        if (wrongWay) {
            return FRAME_EBADFRAME;
        }
    }
    std::uint64_t words[2]; // saved frame pointer, return address
    if (task_memory_read(framePointer, 0, words, sizeof words) != TQCRASH_ESUCCESS) {
        return FRAME_EBADFRAME;
    }
    // Each caller's frame lies strictly further up the stack. A saved frame pointer that does not
    // (a register used for data, a chain that loops) is no chain at all: stop rather than repeat
    // one bogus frame to the limit. 0 is the chain's end and is left to the next step.
    if (words[0] != 0) {
        const bool up = current->stack_direction == TQCRASH_STACK_GROWS_DOWN ? words[0] > framePointer
                                                                            : words[0] < framePointer;
        if (!up) {
            return FRAME_EBADFRAME;
        }
    }
    *next = *current;
    thread_state_clear_all_registers(next);
    next->exact_ip = false;
    thread_state_set_register(next, TQCRASH_REG_FP, words[0]);
    thread_state_set_register(next, TQCRASH_REG_IP, words[1]);
    return FRAME_ESUCCESS;
}

} // namespace tqcrash::async
