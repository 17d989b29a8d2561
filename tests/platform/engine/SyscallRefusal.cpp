#include "tests/platform/engine/SyscallRefusal.h"

#include <cstddef>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>

namespace sonvale::test {

bool refuseSyscalls(const std::vector<SyscallRule>& rules)
{
    std::vector<sock_filter> program{
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    for (const SyscallRule& rule : rules) {
        const bool flagged = rule.flagArgument >= 0;
        program.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
        program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, uint32_t(rule.number), 0, uint8_t(flagged ? 3 : 1)));
        if (flagged) {
            // The low half of the argument (x86-64 is little-endian); every flag in use lies there.
            program.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS,
                                       uint32_t(offsetof(seccomp_data, args) + 8 * rule.flagArgument)));
            program.push_back(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, uint32_t(rule.flagMask), 0, 1));
        }
        program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (uint32_t(rule.error) & SECCOMP_RET_DATA)));
    }
    program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const sock_fprog filter{static_cast<unsigned short>(program.size()), program.data()};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

} // namespace sonvale::test
