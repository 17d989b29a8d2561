// Crash path: no allocation, no lock, no stdio.
//
// thread_state_capture_current is written in assembly: it keeps a frame pointer of its own and
// stores every register before it touches one, so the state shows the caller's registers as they
// were at the call: the instruction pointer is the return address, the stack pointer the caller's
// own once the call has returned (just above the return address), the frame pointer the caller's. The stored words follow the general-register order of a machine context
// (r8-r15, rdi, rsi, rbp, rbx, rdx, rax, rcx, rsp, rip, eflags, cs/gs/fs, err, trapno, oldmask, cr2).

#include "crashcapture/TQCrashThreadState.h"

__asm__(R"(
    .text
    .globl thread_state_capture_current
    .type thread_state_capture_current, @function
thread_state_capture_current:
    .cfi_startproc
    pushq %rbp
    .cfi_def_cfa_offset 16
    .cfi_offset %rbp, -16
    movq %rsp, %rbp
    .cfi_def_cfa_register %rbp
    subq $192, %rsp
    movq %r8, 0(%rsp)
    movq %r9, 8(%rsp)
    movq %r10, 16(%rsp)
    movq %r11, 24(%rsp)
    movq %r12, 32(%rsp)
    movq %r13, 40(%rsp)
    movq %r14, 48(%rsp)
    movq %r15, 56(%rsp)
    movq %rdi, 64(%rsp)
    movq %rsi, 72(%rsp)
    movq %rbx, 88(%rsp)
    movq %rdx, 96(%rsp)
    movq %rax, 104(%rsp)
    movq %rcx, 112(%rsp)
    movq 0(%rbp), %rax
    movq %rax, 80(%rsp)
    leaq 16(%rbp), %rax
    movq %rax, 120(%rsp)
    movq 8(%rbp), %rax
    movq %rax, 128(%rsp)
    pushfq
    popq %rax
    movq %rax, 136(%rsp)
    xorl %eax, %eax
    movw %fs, %ax
    shlq $16, %rax
    movw %gs, %ax
    shlq $16, %rax
    movw %cs, %ax
    movq %rax, 144(%rsp)
    movq $0, 152(%rsp)
    movq $0, 160(%rsp)
    movq $0, 168(%rsp)
    movq $0, 176(%rsp)
    movq %rsi, %rdx
    movq %rdi, %rsi
    movq %rsp, %rdi
    call tqcrash_thread_state_capture_finish@PLT
    leave
    .cfi_def_cfa %rsp, 8
    ret
    .cfi_endproc
    .size thread_state_capture_current, .-thread_state_capture_current
)");
