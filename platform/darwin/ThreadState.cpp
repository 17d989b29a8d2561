#include "platform/darwin/ThreadState.h"

namespace sonvale::darwin {

void threadStateFromMcontext(const mcontext_t& context, x86_thread_state64_t* state,
                             x86_exception_state64_t* exception) {
    const greg_t* r = context.gregs;
    auto u = [](greg_t value) { return static_cast<std::uint64_t>(value); };
    *state = x86_thread_state64_t{
        u(r[REG_RAX]), u(r[REG_RBX]), u(r[REG_RCX]), u(r[REG_RDX]),
        u(r[REG_RDI]), u(r[REG_RSI]), u(r[REG_RBP]), u(r[REG_RSP]),
        u(r[REG_R8]),  u(r[REG_R9]),  u(r[REG_R10]), u(r[REG_R11]),
        u(r[REG_R12]), u(r[REG_R13]), u(r[REG_R14]), u(r[REG_R15]),
        u(r[REG_RIP]), u(r[REG_EFL]),
        // REG_CSGSFS packs cs, gs and fs, 16 bits each from the low end.
        u(r[REG_CSGSFS]) & 0xFFFF, (u(r[REG_CSGSFS]) >> 32) & 0xFFFF, (u(r[REG_CSGSFS]) >> 16) & 0xFFFF,
    };
    *exception = x86_exception_state64_t{
        static_cast<std::uint16_t>(r[REG_TRAPNO]), 0, static_cast<std::uint32_t>(r[REG_ERR]),
        u(r[REG_CR2]),
    };
}

} // namespace sonvale::darwin
