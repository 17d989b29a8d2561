#pragma once

#include <sys/ucontext.h>

#include <cstdint>

namespace sonvale::darwin {

// The x86-64 register set in the order Darwin's thread state keeps it (42 32-bit words).
struct x86_thread_state64_t {
    std::uint64_t rax, rbx, rcx, rdx, rdi, rsi, rbp, rsp;
    std::uint64_t r8, r9, r10, r11, r12, r13, r14, r15;
    std::uint64_t rip, rflags, cs, fs, gs;
};
static_assert(sizeof(x86_thread_state64_t) == 42 * 4);

// The x86-64 exception state: trap number, error code and faulting address (4 words).
struct x86_exception_state64_t {
    std::uint16_t trapno;
    std::uint16_t cpu;
    std::uint32_t err;
    std::uint64_t faultvaddr;
};
static_assert(sizeof(x86_exception_state64_t) == 4 * 4);

// Fills both records from the machine context a signal handler receives. Safe in a signal handler.
void threadStateFromMcontext(const mcontext_t& context, x86_thread_state64_t* state,
                             x86_exception_state64_t* exception);

} // namespace sonvale::darwin
