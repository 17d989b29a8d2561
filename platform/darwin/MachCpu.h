#pragma once

#include <cstdint>

namespace sonvale::darwin {

// Mach CPU type and subtype numbers, as crash reports carry them.
inline constexpr std::int32_t CPU_ARCH_ABI64 = 0x01000000;
inline constexpr std::int32_t CPU_TYPE_X86 = 7;
inline constexpr std::int32_t CPU_TYPE_X86_64 = CPU_TYPE_X86 | CPU_ARCH_ABI64;
inline constexpr std::int32_t CPU_TYPE_ARM = 12;
inline constexpr std::int32_t CPU_TYPE_ARM64 = CPU_TYPE_ARM | CPU_ARCH_ABI64;
inline constexpr std::int32_t CPU_SUBTYPE_X86_ALL = 3;
inline constexpr std::int32_t CPU_SUBTYPE_ARM64_ALL = 0;
inline constexpr std::int32_t CPU_TYPE_ANY = -1;

struct CpuType {
    std::int32_t type = CPU_TYPE_ANY;
    std::int32_t subtype = 0;
};

// The processor this process runs on. Safe in a signal handler.
CpuType hostCpuType();

// The Mach numbers of an ELF machine (EM_X86_64, EM_386, EM_AARCH64); CPU_TYPE_ANY for others.
// Safe in a signal handler.
CpuType cpuTypeOfElfMachine(std::uint16_t elfMachine);

} // namespace sonvale::darwin
