// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashThreadState.h"

#include "platform/darwin/ThreadControl.h"

namespace tqcrash::async {

namespace {

using sonvale::darwin::x86_thread_state64_t;

struct RegisterSlot {
    const char* name;
    std::uint64_t x86_thread_state64_t::*field;
};

constexpr RegisterSlot kRegisters64[TQCRASH_X86_64_REGISTER_COUNT] = {
    {"rip", &x86_thread_state64_t::rip}, {"rbp", &x86_thread_state64_t::rbp},
    {"rsp", &x86_thread_state64_t::rsp}, {"rax", &x86_thread_state64_t::rax},
    {"rbx", &x86_thread_state64_t::rbx}, {"rcx", &x86_thread_state64_t::rcx},
    {"rdx", &x86_thread_state64_t::rdx}, {"rdi", &x86_thread_state64_t::rdi},
    {"rsi", &x86_thread_state64_t::rsi}, {"r8", &x86_thread_state64_t::r8},
    {"r9", &x86_thread_state64_t::r9},   {"r10", &x86_thread_state64_t::r10},
    {"r11", &x86_thread_state64_t::r11}, {"r12", &x86_thread_state64_t::r12},
    {"r13", &x86_thread_state64_t::r13}, {"r14", &x86_thread_state64_t::r14},
    {"r15", &x86_thread_state64_t::r15}, {"rflags", &x86_thread_state64_t::rflags},
    {"cs", &x86_thread_state64_t::cs},   {"fs", &x86_thread_state64_t::fs},
    {"gs", &x86_thread_state64_t::gs},
};

const RegisterSlot& slot(int reg) {
    if (reg < 0 || reg >= TQCRASH_X86_64_REGISTER_COUNT) {
        __builtin_trap();
    }
    return kRegisters64[reg];
}

} // namespace

void thread_state_init_from_mcontext(tqcrash_async_thread_state* state, const mcontext_t* context) {
    state->stack_direction = TQCRASH_STACK_GROWS_DOWN;
    state->gpr_width = 8;
    sonvale::darwin::threadStateFromMcontext(*context, &state->thread, &state->exception);
    state->valid_regs = (std::uint64_t{1} << TQCRASH_X86_64_REGISTER_COUNT) - 1;
    state->exact_ip = true;
}

tqcrash_error_t thread_state_init_from_thread(tqcrash_async_thread_state* state, pid_t thread) {
    if (sonvale::darwin::thread_get_state(thread, &state->thread, &state->exception) != sonvale::darwin::KERN_SUCCESS) {
        return TQCRASH_EINTERNAL;
    }
    state->stack_direction = TQCRASH_STACK_GROWS_DOWN;
    state->gpr_width = 8;
    state->valid_regs = (std::uint64_t{1} << TQCRASH_X86_64_REGISTER_COUNT) - 1;
    state->exact_ip = true;
    return TQCRASH_ESUCCESS;
}

// The second half of thread_state_capture_current: the registers it stored, in the order of a
// machine context's general registers, become a state for the callback.
extern "C" tqcrash_error_t tqcrash_thread_state_capture_finish(const greg_t* registers, thread_state_callback callback,
                                                               void* context) {
    mcontext_t machine{};
    for (int i = 0; i < NGREG; ++i) {
        machine.gregs[i] = registers[i];
    }
    tqcrash_async_thread_state state;
    thread_state_init_from_mcontext(&state, &machine);
    // The instruction pointer is the return address of the capture call: its caller's code.
    state.exact_ip = false;
    return callback(&state, context);
}

bool thread_state_has_register(const tqcrash_async_thread_state* state, int reg) {
    slot(reg);
    return (state->valid_regs & (std::uint64_t{1} << reg)) != 0;
}

std::uint64_t thread_state_get_register(const tqcrash_async_thread_state* state, int reg) {
    return state->thread.*slot(reg).field;
}

void thread_state_set_register(tqcrash_async_thread_state* state, int reg, std::uint64_t value) {
    state->thread.*slot(reg).field = value;
    state->valid_regs |= std::uint64_t{1} << reg;
}

void thread_state_clear_register(tqcrash_async_thread_state* state, int reg) {
    slot(reg);
    state->valid_regs &= ~(std::uint64_t{1} << reg);
}

void thread_state_clear_all_registers(tqcrash_async_thread_state* state) {
    state->valid_regs = 0;
}

void thread_state_clear_volatile(tqcrash_async_thread_state* state) {
    constexpr std::uint64_t kPreserved =
        (std::uint64_t{1} << TQCRASH_X86_64_RBX) | (std::uint64_t{1} << TQCRASH_X86_64_RSP) |
        (std::uint64_t{1} << TQCRASH_X86_64_RBP) | (std::uint64_t{1} << TQCRASH_X86_64_R12) |
        (std::uint64_t{1} << TQCRASH_X86_64_R13) | (std::uint64_t{1} << TQCRASH_X86_64_R14) |
        (std::uint64_t{1} << TQCRASH_X86_64_R15);
    state->valid_regs &= kPreserved;
}

bool thread_state_map_dwarf_register(const tqcrash_async_thread_state*, std::uint32_t dwarf, int* reg) {
    static constexpr int kGeneral[16] = {
        TQCRASH_X86_64_RAX, TQCRASH_X86_64_RDX, TQCRASH_X86_64_RCX, TQCRASH_X86_64_RBX,
        TQCRASH_X86_64_RSI, TQCRASH_X86_64_RDI, TQCRASH_X86_64_RBP, TQCRASH_X86_64_RSP,
        TQCRASH_X86_64_R8,  TQCRASH_X86_64_R9,  TQCRASH_X86_64_R10, TQCRASH_X86_64_R11,
        TQCRASH_X86_64_R12, TQCRASH_X86_64_R13, TQCRASH_X86_64_R14, TQCRASH_X86_64_R15,
    };
    if (dwarf < 16) {
        *reg = kGeneral[dwarf];
        return true;
    }
    switch (dwarf) {
    case 49: *reg = TQCRASH_X86_64_RFLAGS; return true;
    case 51: *reg = TQCRASH_X86_64_CS; return true;
    case 54: *reg = TQCRASH_X86_64_FS; return true;
    case 55: *reg = TQCRASH_X86_64_GS; return true;
    default: return false;
    }
}

int thread_state_stack_direction(const tqcrash_async_thread_state* state) {
    return state->stack_direction;
}

std::uint32_t thread_state_gpr_width(const tqcrash_async_thread_state* state) {
    return state->gpr_width;
}

std::size_t thread_state_register_count(const tqcrash_async_thread_state*) {
    return TQCRASH_X86_64_REGISTER_COUNT;
}

const char* thread_state_register_name(const tqcrash_async_thread_state*, int reg) {
    return slot(reg).name;
}

} // namespace tqcrash::async
