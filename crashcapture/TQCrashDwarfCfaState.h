#pragma once

// The register rules of a DWARF call-frame program as it runs: a fixed pool of rule entries hashed
// by register number, a stack of saved rule sets for remember/restore-state, and the rule for the
// canonical frame address (CFA). Fixed sizes, no allocation: safe in a signal handler. A value on
// the stack of the thread that runs the program.

#include "crashcapture/TQCrashError.h"

#include <cstdint>

namespace tqcrash::async {

enum tqcrash_dwarf_cfa_reg_rule_t : std::uint8_t {
    TQCRASH_DWARF_CFA_REG_RULE_OFFSET = 0,     // saved at CFA + offset
    TQCRASH_DWARF_CFA_REG_RULE_VAL_OFFSET = 1, // the value is CFA + offset
    TQCRASH_DWARF_CFA_REG_RULE_REGISTER = 2,   // in another register
    TQCRASH_DWARF_CFA_REG_RULE_EXPRESSION = 3, // saved at the address an expression yields
    TQCRASH_DWARF_CFA_REG_RULE_VAL_EXPRESSION = 4,
    TQCRASH_DWARF_CFA_REG_RULE_SAME_VALUE = 5,
};

enum class dwarf_cfa_rule_kind : std::uint8_t { none, register_unsigned, register_signed, expression };

struct dwarf_cfa_rule {
    dwarf_cfa_rule_kind kind;
    std::uint32_t reg;
    std::int64_t offset;       // register rules (an unsigned offset is stored as its value)
    std::uint64_t expression;  // expression rule: task address and length of the expression
    std::uint64_t length;
};

class dwarf_cfa_state final {
public:
    static constexpr int kEntryCount = 104;
    static constexpr int kBucketCount = 14;
    static constexpr int kStateCount = 6; // the current state and five remembered ones

    dwarf_cfa_state();

    // Sets the rule of `reg` in the current state. TQCRASH_ENOMEM when the pool is full.
    tqcrash_error_t set_register(std::uint32_t reg, tqcrash_dwarf_cfa_reg_rule_t rule, std::uint64_t value);
    // False when `reg` has no rule (undefined).
    bool get_register_rule(std::uint32_t reg, tqcrash_dwarf_cfa_reg_rule_t* rule, std::uint64_t* value) const;
    void remove_register(std::uint32_t reg);
    std::uint32_t register_count() const;

    void set_cfa_register(std::uint32_t reg, dwarf_cfa_rule_kind kind, std::int64_t offset);
    void set_cfa_expression(std::uint64_t address, std::uint64_t length);
    const dwarf_cfa_rule& cfa_rule() const { return cfa_[depth_]; }
    dwarf_cfa_rule& cfa_rule() { return cfa_[depth_]; }

    // DW_CFA_remember_state: TQCRASH_ENOMEM (frame status 3) past five saved states or when the
    // pool cannot hold the copy. DW_CFA_restore_state: TQCRASH_EINVAL when none is saved.
    tqcrash_error_t push_state();
    tqcrash_error_t pop_state();

    // Visits every rule of the current state: visit(reg, rule, value).
    template <typename Visit>
    void for_each(const Visit& visit) const {
        for (int bucket = 0; bucket < kBucketCount; ++bucket) {
            for (std::int16_t at = buckets_[depth_][bucket]; at >= 0; at = entries_[at].next) {
                visit(entries_[at].reg, entries_[at].rule, entries_[at].value);
            }
        }
    }

private:
    struct entry {
        std::uint32_t reg;
        tqcrash_dwarf_cfa_reg_rule_t rule;
        std::uint64_t value;
        std::int16_t next; // -1: end of the bucket (or of the free list)
    };

    std::int16_t take_entry();
    void release_bucket_chain(std::int16_t first);

    entry entries_[kEntryCount];
    std::int16_t free_;
    std::int16_t buckets_[kStateCount][kBucketCount];
    std::uint32_t counts_[kStateCount];
    dwarf_cfa_rule cfa_[kStateCount];
    int depth_;
};

} // namespace tqcrash::async
