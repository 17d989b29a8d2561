#include "platform/darwin/ThreadState.h"

#include <gtest/gtest.h>

namespace sonvale::darwin {
namespace {

// The machine context packs cs, gs and fs into one word; the Darwin layout keeps them apart.
TEST(ThreadStateTest, KeepsDarwinRegisterOrderAndUnpacksSegments) {
    mcontext_t context{};
    for (int i = 0; i < NGREG; ++i) {
        context.gregs[i] = 1000 + i;
    }
    context.gregs[REG_CSGSFS] = 0x0000'0033'002B'0010;
    x86_thread_state64_t state;
    x86_exception_state64_t exception;
    threadStateFromMcontext(context, &state, &exception);

    EXPECT_EQ(state.rax, 1000u + REG_RAX);
    EXPECT_EQ(state.rsp, 1000u + REG_RSP);
    EXPECT_EQ(state.rbp, 1000u + REG_RBP);
    EXPECT_EQ(state.r15, 1000u + REG_R15);
    EXPECT_EQ(state.rip, 1000u + REG_RIP);
    EXPECT_EQ(state.rflags, 1000u + REG_EFL);
    EXPECT_EQ(state.cs, 0x10u);
    EXPECT_EQ(state.gs, 0x2Bu);
    EXPECT_EQ(state.fs, 0x33u);
    EXPECT_EQ(exception.trapno, 1000u + REG_TRAPNO);
    EXPECT_EQ(exception.err, 1000u + REG_ERR);
    EXPECT_EQ(exception.faultvaddr, 1000u + REG_CR2);
}

} // namespace
} // namespace sonvale::darwin
