// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashThreadState.h"

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

std::size_t thread_state_register_count(const tqcrash_async_thread_state*) {
    return TQCRASH_X86_64_REGISTER_COUNT;
}

const char* thread_state_register_name(const tqcrash_async_thread_state*, int reg) {
    return slot(reg).name;
}

} // namespace tqcrash::async
