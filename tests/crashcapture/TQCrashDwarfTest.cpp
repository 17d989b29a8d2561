#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashDwarfCfaState.h"
#include "crashcapture/TQCrashDwarfCfi.h"
#include "crashcapture/TQCrashDwarfExpression.h"
#include "crashcapture/TQCrashEhPointerReader.h"
#include "crashcapture/TQCrashMemoryObject.h"
#include "crashcapture/TQCrashThreadState.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace tqcrash::async {
namespace {

// Bytes in memory with a memory object over them.
struct Bytes {
    explicit Bytes(std::vector<std::uint8_t> content) : data(std::move(content)) {
        EXPECT_EQ(mobject_map_task_range(&object, address(), data.size(), true), TQCRASH_ESUCCESS);
    }
    std::uint64_t address() const { return reinterpret_cast<std::uintptr_t>(data.data()); }
    std::vector<std::uint8_t> data;
    tqcrash_async_mobject object;
};

tqcrash_async_thread_state registers() {
    tqcrash_async_thread_state state{};
    state.stack_direction = TQCRASH_STACK_GROWS_DOWN;
    state.gpr_width = 8;
    thread_state_set_register(&state, TQCRASH_X86_64_RSP, 0x7000);
    thread_state_set_register(&state, TQCRASH_X86_64_RBX, 40);
    return state;
}

struct ExpressionCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    tqcrash_error_t status;
    std::uint64_t value;
};

TEST(TQCrashDwarfExpressionTest, EvaluatesStackArithmeticRegistersAndBranches) {
    const std::uint64_t word = 0x1122334455667788;
    std::vector<std::uint8_t> deref = {0x0e}; // const8u &word, deref
    for (int i = 0; i < 8; ++i) deref.push_back(static_cast<std::uint8_t>(reinterpret_cast<std::uintptr_t>(&word) >> (8 * i)));
    deref.push_back(0x06);
    std::vector<std::uint8_t> derefSize2 = deref;
    derefSize2.back() = 0x94;
    derefSize2.push_back(2);
    std::vector<std::uint8_t> tooMany;
    for (int i = 0; i < 101; ++i) tooMany.push_back(0x30);

    const ExpressionCase cases[] = {
        {"lit and plus", {0x33, 0x34, 0x22}, TQCRASH_ESUCCESS, 7},
        {"const1s and neg", {0x09, 0xFB, 0x1f}, TQCRASH_ESUCCESS, 5},
        {"breg7 (rsp) + 8", {0x77, 0x08}, TQCRASH_ESUCCESS, 0x7008},
        {"bregx rbx - 2", {0x92, 0x03, 0x7E}, TQCRASH_ESUCCESS, 38},
        {"breg of a register without value", {0x70, 0x00}, TQCRASH_ENOTFOUND, 0},
        {"breg of an unmappable register", {0x92, 0x20, 0x00}, TQCRASH_ENOTSUP, 0},
        {"rot then minus", {0x31, 0x32, 0x33, 0x17, 0x1c}, TQCRASH_ESUCCESS, static_cast<std::uint64_t>(-1)},
        {"dup, over and swap", {0x34, 0x12, 0x35, 0x14, 0x16, 0x1c, 0x22}, TQCRASH_ESUCCESS, 3},
        {"pick 2", {0x35, 0x36, 0x37, 0x15, 0x02}, TQCRASH_ESUCCESS, 5},
        {"div signed", {0x09, 0xF6, 0x32, 0x1b}, TQCRASH_ESUCCESS, static_cast<std::uint64_t>(-5)},
        {"div by zero", {0x31, 0x30, 0x1b}, TQCRASH_EINVAL, 0},
        {"mod by zero", {0x31, 0x30, 0x1d}, TQCRASH_EINVAL, 0},
        {"shra", {0x09, 0xF0, 0x32, 0x26}, TQCRASH_ESUCCESS, static_cast<std::uint64_t>(-4)},
        {"bra taken skips", {0x31, 0x28, 0x01, 0x00, 0x39, 0x3A}, TQCRASH_ESUCCESS, 10},
        {"skip out of the expression", {0x2f, 0x10, 0x00}, TQCRASH_EINVAL, 0},
        {"skip backwards out", {0x2f, 0xF0, 0xFF}, TQCRASH_EINVAL, 0},
        {"skip onto itself never ends", {0x2f, 0xFD, 0xFF}, TQCRASH_EINVAL, 0},
        {"bra loop that keeps its condition", {0x31, 0x12, 0x28, 0xFC, 0xFF}, TQCRASH_EINVAL, 0},
        {"lt compares signed", {0x09, 0xFF, 0x31, 0x2d}, TQCRASH_ESUCCESS, 1},
        {"deref reads memory", deref, TQCRASH_ESUCCESS, word},
        {"deref_size 2", derefSize2, TQCRASH_ESUCCESS, 0x7788},
        {"deref of address 0", {0x30, 0x06}, TQCRASH_ENOTFOUND, 0},
        {"deref_size 3 is refused", {0x30, 0x94, 0x03}, TQCRASH_EINVAL, 0},
        {"pop from an empty stack", {0x22}, TQCRASH_EINVAL, 0},
        {"a 101st value", tooMany, TQCRASH_EINTERNAL, 0},
        {"DW_OP_addr is not evaluated", {0x03, 0, 0, 0, 0, 0, 0, 0, 0}, TQCRASH_ENOTSUP, 0},
        {"reg0 is not evaluated", {0x50}, TQCRASH_ENOTSUP, 0},
        {"fbreg is not evaluated", {0x91, 0x00}, TQCRASH_ENOTSUP, 0},
        {"operand past the end", {0x0c, 0x01}, TQCRASH_EINVAL, 0},
    };
    const tqcrash_async_thread_state state = registers();
    for (const ExpressionCase& c : cases) {
        Bytes expression(c.bytes);
        std::uint64_t value = 0;
        EXPECT_EQ(tqcrash_async_dwarf_expression_eval(&expression.object, tqcrash_async_byteorder_direct(), 8, &state,
                                                      expression.address(), 0, c.bytes.size(), nullptr, 0, &value),
                  c.status)
            << c.name;
        if (c.status == TQCRASH_ESUCCESS) {
            EXPECT_EQ(value, c.value) << c.name;
        }
    }
}

TEST(TQCrashDwarfExpressionTest, InitialValuesArePushedFirst) {
    Bytes expression({0x23, 0x10}); // plus_uconst 16
    const std::uint64_t initial[] = {0x5000};
    const tqcrash_async_thread_state state = registers();
    std::uint64_t value = 0;
    ASSERT_EQ(tqcrash_async_dwarf_expression_eval(&expression.object, tqcrash_async_byteorder_direct(), 8, &state,
                                                  expression.address(), 0, 2, initial, 1, &value),
              TQCRASH_ESUCCESS);
    EXPECT_EQ(value, 0x5010u);
}

TEST(TQCrashDwarfCfaStateTest, RulesAreKeptPerRegisterAndRememberedStatesNestFiveDeep) {
    dwarf_cfa_state state;
    ASSERT_EQ(state.set_register(16, TQCRASH_DWARF_CFA_REG_RULE_OFFSET, static_cast<std::uint64_t>(-8)), TQCRASH_ESUCCESS);
    ASSERT_EQ(state.set_register(30, TQCRASH_DWARF_CFA_REG_RULE_REGISTER, 3), TQCRASH_ESUCCESS); // same bucket as 16
    ASSERT_EQ(state.set_register(16, TQCRASH_DWARF_CFA_REG_RULE_VAL_OFFSET, 8), TQCRASH_ESUCCESS);
    EXPECT_EQ(state.register_count(), 2u);
    tqcrash_dwarf_cfa_reg_rule_t rule;
    std::uint64_t value = 0;
    ASSERT_TRUE(state.get_register_rule(16, &rule, &value));
    EXPECT_EQ(rule, TQCRASH_DWARF_CFA_REG_RULE_VAL_OFFSET);
    EXPECT_EQ(value, 8u);

    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(state.push_state(), TQCRASH_ESUCCESS) << i;
    }
    EXPECT_EQ(state.push_state(), TQCRASH_ENOMEM) << "a sixth remember-state";
    state.remove_register(16);
    EXPECT_FALSE(state.get_register_rule(16, &rule, &value));
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(state.pop_state(), TQCRASH_ESUCCESS) << i;
    }
    EXPECT_EQ(state.pop_state(), TQCRASH_EINVAL) << "nothing saved";
    EXPECT_TRUE(state.get_register_rule(16, &rule, &value)) << "restored";
}

TEST(TQCrashDwarfCfaStateTest, AFullPoolRefusesTheNextRule) {
    dwarf_cfa_state state;
    for (std::uint32_t reg = 0; reg < dwarf_cfa_state::kEntryCount; ++reg) {
        ASSERT_EQ(state.set_register(reg, TQCRASH_DWARF_CFA_REG_RULE_SAME_VALUE, 0), TQCRASH_ESUCCESS);
    }
    EXPECT_EQ(state.set_register(500, TQCRASH_DWARF_CFA_REG_RULE_SAME_VALUE, 0), TQCRASH_ENOMEM);
    EXPECT_EQ(state.push_state(), TQCRASH_ENOMEM);
}

// A hand-made .eh_frame: one CIE ("zR", pc-relative sdata4 pointers) and one FDE whose program
// exercises remember/restore-state and offsets.
TEST(TQCrashDwarfCfiTest, AHandMadeFdeIsFoundParsedAndApplied) {
    std::vector<std::uint8_t> frame = {
        // CIE: length 20, id 0, version 1, "zR", code 1, data -8, ra 16, aug length 1, 0x1b
        20, 0, 0, 0, 0, 0, 0, 0, 1, 'z', 'R', 0, 1, 0x78, 16, 1, 0x1b,
        0x0c, 0x07, 0x08, // def_cfa rsp+8
        0x90, 0x01,       // offset r16 (rip) at cfa-8
        0, 0,             // padding to 24 bytes
        // FDE: length 28, CIE pointer 28 back, pc start (pc-relative), range 0x40, aug length 0
        28, 0, 0, 0, 28, 0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0, 0, 0,
        0x0e, 0x10,       // def_cfa_offset 16
        0x83, 0x02,       // offset rbx at cfa-16
        0x0a,             // remember_state
        0x0e, 0x30,       // def_cfa_offset 48
        0x44,             // advance 4
        0x0b,             // restore_state
        0, 0, 0, 0, 0, 0, // nops to the end of the entry
        0, 0, 0, 0,       // terminator
    };
    // The FDE's pc start points at `code`, relative to where the field lies.
    static const std::uint8_t code[0x40] = {};
    Bytes section(frame);
    const std::uint64_t field = section.address() + 32;
    const auto delta = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(code) - field);
    std::memcpy(section.data.data() + 32, &delta, 4);

    gnu_ehptr_reader pointers;
    gnu_ehptr_reader_init(&pointers, tqcrash_async_byteorder_direct(), 8);
    const dwarf_section sectionInfo{&section.object, nullptr, false, tqcrash_async_byteorder_direct(), &pointers};
    const std::uint64_t pc = reinterpret_cast<std::uintptr_t>(code) + 8;
    dwarf_fde_info fde;
    dwarf_cie_info cie;
    ASSERT_EQ(dwarf_find_fde(&sectionInfo, pc, &fde, &cie), TQCRASH_ESUCCESS);
    EXPECT_EQ(fde.pc_start, reinterpret_cast<std::uintptr_t>(code));
    EXPECT_EQ(fde.pc_end, fde.pc_start + 0x40);
    EXPECT_EQ(cie.data_alignment_factor, -8);
    EXPECT_EQ(cie.return_address_register, 16u);
    EXPECT_EQ(dwarf_find_fde(&sectionInfo, fde.pc_end, &fde, &cie), TQCRASH_ENOTFOUND);
    ASSERT_EQ(dwarf_find_fde(&sectionInfo, pc, &fde, &cie), TQCRASH_ESUCCESS);

    dwarf_cfa_state rules;
    ASSERT_EQ(dwarf_cfa_eval_program(&sectionInfo, &cie, nullptr, fde.pc_start, pc, cie.initial_instructions,
                                     cie.initial_instructions_length, &rules),
              TQCRASH_ESUCCESS);
    const dwarf_cfa_state cieRules = rules;
    ASSERT_EQ(dwarf_cfa_eval_program(&sectionInfo, &cie, &cieRules, fde.pc_start, pc, fde.instructions,
                                     fde.instructions_length, &rules),
              TQCRASH_ESUCCESS);
    EXPECT_EQ(rules.cfa_rule().offset, 16) << "the state remembered before offset 48";

    // A stack: [rsp] = saved rbx, [rsp + 8] = return address.
    alignas(16) std::uint64_t stack[2] = {0xBB, 0x401234};
    tqcrash_async_thread_state current = registers();
    thread_state_set_register(&current, TQCRASH_X86_64_RSP, reinterpret_cast<std::uintptr_t>(stack));
    thread_state_set_register(&current, TQCRASH_X86_64_RAX, 1);
    tqcrash_async_thread_state next;
    ASSERT_EQ(dwarf_cfa_state_apply(&sectionInfo, &cie, &rules, &current, &next), TQCRASH_ESUCCESS);
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_REG_IP), 0x401234u);
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_REG_SP), reinterpret_cast<std::uintptr_t>(stack) + 16);
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_X86_64_RBX), 0xBBu);
    EXPECT_FALSE(thread_state_has_register(&next, TQCRASH_X86_64_RAX)) << "volatile registers are cleared";
}

} // namespace
} // namespace tqcrash::async
