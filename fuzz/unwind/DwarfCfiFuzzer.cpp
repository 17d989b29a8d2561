// Feeds arbitrary bytes to the DWARF call-frame reader as an .eh_frame section, and to the
// expression evaluator: call-frame tables come from whatever images a crashed process had loaded,
// so every input must end in a frame or a refusal, never in a fault or a hang.
//
// Input: one byte choosing the pc inside the section, then the section.

#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashDwarfCfi.h"
#include "crashcapture/TQCrashDwarfExpression.h"
#include "crashcapture/TQCrashEhPointerReader.h"
#include "crashcapture/TQCrashMemoryObject.h"
#include "crashcapture/TQCrashThreadState.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace tqcrash::async;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::vector<std::uint8_t> bytes(data + 1, data + size);
    const auto address = reinterpret_cast<std::uintptr_t>(bytes.data());
    tqcrash_async_mobject section;
    if (mobject_map_task_range(&section, address, bytes.size(), true) != tqcrash::TQCRASH_ESUCCESS) {
        return 0;
    }
    // A stack for the rules to read from, and registers pointing into it.
    std::uint64_t stack[64] = {};
    tqcrash_async_thread_state state{};
    state.stack_direction = TQCRASH_STACK_GROWS_DOWN;
    state.gpr_width = 8;
    for (int reg = 0; reg < TQCRASH_X86_64_REGISTER_COUNT; ++reg) {
        thread_state_set_register(&state, reg, reinterpret_cast<std::uintptr_t>(&stack[16]) + 8 * static_cast<unsigned>(reg));
    }

    gnu_ehptr_reader pointers;
    gnu_ehptr_reader_init(&pointers, tqcrash_async_byteorder_direct(), 8);
    const dwarf_section frames{&section, nullptr, (data[0] & 0x80) != 0, tqcrash_async_byteorder_direct(), &pointers};
    const std::uint64_t pc = address + (data[0] & 0x7F) % bytes.size();
    dwarf_fde_info fde;
    dwarf_cie_info cie;
    if (dwarf_find_fde(&frames, pc, &fde, &cie) == tqcrash::TQCRASH_ESUCCESS) {
        dwarf_cfa_state rules;
        if (dwarf_cfa_eval_program(&frames, &cie, nullptr, fde.pc_start, pc, cie.initial_instructions,
                                   cie.initial_instructions_length, &rules) == tqcrash::TQCRASH_ESUCCESS) {
            const dwarf_cfa_state cieRules = rules;
            if (dwarf_cfa_eval_program(&frames, &cie, &cieRules, fde.pc_start, pc, fde.instructions,
                                       fde.instructions_length, &rules) == tqcrash::TQCRASH_ESUCCESS) {
                tqcrash_async_thread_state next;
                dwarf_cfa_state_apply(&frames, &cie, &rules, &state, &next);
            }
        }
    }
    const std::uint64_t initial[] = {reinterpret_cast<std::uintptr_t>(&stack[8])};
    std::uint64_t result = 0;
    tqcrash_async_dwarf_expression_eval(&section, tqcrash_async_byteorder_direct(), 8, &state, address, 0,
                                        bytes.size(), initial, 1, &result);
    mobject_unmap(&section);
    return 0;
}
