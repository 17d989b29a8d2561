#pragma once

#include "crashcapture/TQCrashError.h"
#include "platform/darwin/ThreadState.h"

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace tqcrash::async {

// Engine register numbers of a 64-bit thread; 0, 1 and 2 are always the instruction, frame and
// stack pointers. The names are those that reports carry.
enum : int {
    TQCRASH_REG_IP = 0,
    TQCRASH_REG_FP = 1,
    TQCRASH_REG_SP = 2,
    TQCRASH_X86_64_RIP = 0, TQCRASH_X86_64_RBP, TQCRASH_X86_64_RSP, TQCRASH_X86_64_RAX,
    TQCRASH_X86_64_RBX, TQCRASH_X86_64_RCX, TQCRASH_X86_64_RDX, TQCRASH_X86_64_RDI,
    TQCRASH_X86_64_RSI, TQCRASH_X86_64_R8, TQCRASH_X86_64_R9, TQCRASH_X86_64_R10,
    TQCRASH_X86_64_R11, TQCRASH_X86_64_R12, TQCRASH_X86_64_R13, TQCRASH_X86_64_R14,
    TQCRASH_X86_64_R15, TQCRASH_X86_64_RFLAGS, TQCRASH_X86_64_CS, TQCRASH_X86_64_FS,
    TQCRASH_X86_64_GS,
    TQCRASH_X86_64_REGISTER_COUNT,
};

enum tqcrash_stack_direction : int { TQCRASH_STACK_GROWS_UP = 1, TQCRASH_STACK_GROWS_DOWN = 2 };

// A register snapshot of one thread, as the stack walk steps from frame to frame. A plain value:
// copy it freely. Every function here is safe in a signal handler.
struct tqcrash_async_thread_state {
    int stack_direction;
    std::uint32_t gpr_width;
    std::uint64_t valid_regs; // bit n: register n holds a value
    // The instruction pointer is where the thread stopped (a signal's or a capture's), not a return
    // address: a caller's code is looked up one byte before its return address, this one as is.
    bool exact_ip;
    sonvale::darwin::x86_thread_state64_t thread;
    sonvale::darwin::x86_exception_state64_t exception;
};

// From a signal's machine context: every register valid.
void thread_state_init_from_mcontext(tqcrash_async_thread_state* state, const mcontext_t* context);
// From another thread of this process, stopped by the thread control of the current crash:
// TQCRASH_EINTERNAL when its registers were not captured.
tqcrash_error_t thread_state_init_from_thread(tqcrash_async_thread_state* state, pid_t thread);

// Fills a state from the calling thread's own registers as they are on entry (instruction pointer
// = the return address of this call, frame pointer = the caller's, stack pointer = the caller's
// once this call has returned, so that call-frame tables apply) and returns
// callback(state, context).
using thread_state_callback = tqcrash_error_t (*)(tqcrash_async_thread_state* state, void* context);
extern "C" tqcrash_error_t thread_state_capture_current(thread_state_callback callback, void* context);

bool thread_state_has_register(const tqcrash_async_thread_state* state, int reg);
// The value of a register (0 when it holds none). An unknown register number traps.
std::uint64_t thread_state_get_register(const tqcrash_async_thread_state* state, int reg);
void thread_state_set_register(tqcrash_async_thread_state* state, int reg, std::uint64_t value);
void thread_state_clear_register(tqcrash_async_thread_state* state, int reg);
void thread_state_clear_all_registers(tqcrash_async_thread_state* state);
// Clears every register a call does not preserve: all but rbx, rsp, rbp and r12-r15.
void thread_state_clear_volatile(tqcrash_async_thread_state* state);
// The engine number of a DWARF register; false for one that cannot be mapped.
bool thread_state_map_dwarf_register(const tqcrash_async_thread_state* state, std::uint32_t dwarf, int* reg);
int thread_state_stack_direction(const tqcrash_async_thread_state* state);
std::uint32_t thread_state_gpr_width(const tqcrash_async_thread_state* state);
std::size_t thread_state_register_count(const tqcrash_async_thread_state* state);
const char* thread_state_register_name(const tqcrash_async_thread_state* state, int reg);

} // namespace tqcrash::async
