#include "platform/darwin/MachCpu.h"

#include <elf.h>

namespace sonvale::darwin {

CpuType hostCpuType() {
#if defined(__x86_64__)
    return cpuTypeOfElfMachine(EM_X86_64);
#elif defined(__i386__)
    return cpuTypeOfElfMachine(EM_386);
#elif defined(__aarch64__)
    return cpuTypeOfElfMachine(EM_AARCH64);
#else
    return {};
#endif
}

CpuType cpuTypeOfElfMachine(std::uint16_t elfMachine) {
    switch (elfMachine) {
    case EM_X86_64:
        return {CPU_TYPE_X86_64, CPU_SUBTYPE_X86_ALL};
    case EM_386:
        return {CPU_TYPE_X86, CPU_SUBTYPE_X86_ALL};
    case EM_AARCH64:
        return {CPU_TYPE_ARM64, CPU_SUBTYPE_ARM64_ALL};
    default:
        return {};
    }
}

} // namespace sonvale::darwin
