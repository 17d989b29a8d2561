#pragma once

// DWARF call-frame information of one section (".eh_frame" or ".debug_frame"): finding the FDE of
// a pc, parsing it and its CIE, running their call-frame programs into a dwarf_cfa_state and
// applying that state to a thread state to get the caller's registers. Addresses and values are
// 64-bit; 32-bit images are read with an address size of 4. Everything here is safe in a signal
// handler; the section is a memory object mapped by the caller.

#include "crashcapture/TQCrashDwarfCfaState.h"
#include "crashcapture/TQCrashError.h"

#include <cstdint>

namespace tqcrash::async {

struct gnu_ehptr_reader;
struct tqcrash_async_byteorder;
struct tqcrash_async_mobject;
struct tqcrash_async_thread_state;

struct dwarf_cie_info {
    std::uint8_t version;
    bool has_augmentation_data; // 'z'
    bool has_lsda_encoding;
    std::uint8_t lsda_encoding;
    bool has_personality;
    std::uint8_t personality_encoding;
    std::uint64_t personality_address;
    bool has_pointer_encoding;
    std::uint8_t pointer_encoding;
    bool signal_frame;          // 'S'
    std::uint64_t code_alignment_factor;
    std::int64_t data_alignment_factor;
    std::uint64_t return_address_register;
    std::uint8_t address_size;  // version 4
    std::uint8_t segment_size;
    std::uint64_t initial_instructions; // task address
    std::uint64_t initial_instructions_length;
};

struct dwarf_fde_info {
    std::uint64_t cie_address;
    std::uint64_t pc_start;
    std::uint64_t pc_end;
    std::uint64_t instructions; // task address
    std::uint64_t instructions_length;
};

// Where the section lives and how to read it.
struct dwarf_section {
    const tqcrash_async_mobject* frames;
    const tqcrash_async_mobject* index; // ".eh_frame_hdr", or null: linear search
    bool debug_frame;                   // CIE ids of all ones, CIE pointers relative to the section
    const tqcrash_async_byteorder* byteorder;
    const gnu_ehptr_reader* pointers;
};

tqcrash_error_t dwarf_parse_cie(const dwarf_section* section, std::uint64_t address, dwarf_cie_info* cie);
tqcrash_error_t dwarf_parse_fde(const dwarf_section* section, std::uint64_t address, dwarf_fde_info* fde,
                                dwarf_cie_info* cie);
// The FDE whose range holds `pc`: through the index when there is one, else by a linear scan.
// TQCRASH_ENOTFOUND when none does.
tqcrash_error_t dwarf_find_fde(const dwarf_section* section, std::uint64_t pc, dwarf_fde_info* fde, dwarf_cie_info* cie);

// Runs the call-frame program of `length` bytes at `address` with the location starting at
// `pc_start`, until the location passes `pc`. `cie_state` (null while running the CIE's own
// program) gives the rules DW_CFA_restore goes back to. TQCRASH_ENOTSUP for an unknown
// instruction, TQCRASH_ENOMEM when the rule pool or the remembered states run out, TQCRASH_EINVAL
// when an operand or a jump leaves the program or restore-state finds nothing saved.
tqcrash_error_t dwarf_cfa_eval_program(const dwarf_section* section, const dwarf_cie_info* cie,
                                       const dwarf_cfa_state* cie_state, std::uint64_t pc_start, std::uint64_t pc,
                                       std::uint64_t address, std::uint64_t length, dwarf_cfa_state* state);

// The caller's registers from `current` and the rules. A frame status: 0, 4 (a register that cannot
// be mapped), 5 (no CFA rule), 8 (a register without a value), or a read status.
tqcrash_error_t dwarf_cfa_state_apply(const dwarf_section* section, const dwarf_cie_info* cie,
                                      const dwarf_cfa_state* state, const tqcrash_async_thread_state* current,
                                      tqcrash_async_thread_state* next);

} // namespace tqcrash::async
