// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashDwarfCfaState.h"

namespace tqcrash::async {

dwarf_cfa_state::dwarf_cfa_state() : entries_{}, free_(0), counts_{}, cfa_{}, depth_(0) {
    for (int i = 0; i < kEntryCount; ++i) {
        entries_[i].next = static_cast<std::int16_t>(i + 1 < kEntryCount ? i + 1 : -1);
    }
    for (auto& state : buckets_) {
        for (auto& bucket : state) {
            bucket = -1;
        }
    }
}

std::int16_t dwarf_cfa_state::take_entry() {
    const std::int16_t taken = free_;
    if (taken >= 0) {
        free_ = entries_[taken].next;
    }
    return taken;
}

tqcrash_error_t dwarf_cfa_state::set_register(std::uint32_t reg, tqcrash_dwarf_cfa_reg_rule_t rule, std::uint64_t value) {
    std::int16_t& bucket = buckets_[depth_][reg % kBucketCount];
    for (std::int16_t at = bucket; at >= 0; at = entries_[at].next) {
        if (entries_[at].reg == reg) {
            entries_[at].rule = rule;
            entries_[at].value = value;
            return TQCRASH_ESUCCESS;
        }
    }
    const std::int16_t fresh = take_entry();
    if (fresh < 0) {
        return TQCRASH_ENOMEM;
    }
    entries_[fresh] = entry{reg, rule, value, bucket};
    bucket = fresh;
    ++counts_[depth_];
    return TQCRASH_ESUCCESS;
}

bool dwarf_cfa_state::get_register_rule(std::uint32_t reg, tqcrash_dwarf_cfa_reg_rule_t* rule, std::uint64_t* value) const {
    for (std::int16_t at = buckets_[depth_][reg % kBucketCount]; at >= 0; at = entries_[at].next) {
        if (entries_[at].reg == reg) {
            *rule = entries_[at].rule;
            *value = entries_[at].value;
            return true;
        }
    }
    return false;
}

void dwarf_cfa_state::remove_register(std::uint32_t reg) {
    std::int16_t* link = &buckets_[depth_][reg % kBucketCount];
    while (*link >= 0) {
        const std::int16_t at = *link;
        if (entries_[at].reg == reg) {
            *link = entries_[at].next;
            entries_[at].next = free_;
            free_ = at;
            --counts_[depth_];
            return;
        }
        link = &entries_[at].next;
    }
}

std::uint32_t dwarf_cfa_state::register_count() const {
    return counts_[depth_];
}

void dwarf_cfa_state::set_cfa_register(std::uint32_t reg, dwarf_cfa_rule_kind kind, std::int64_t offset) {
    cfa_[depth_] = dwarf_cfa_rule{kind, reg, offset, 0, 0};
}

void dwarf_cfa_state::set_cfa_expression(std::uint64_t address, std::uint64_t length) {
    cfa_[depth_] = dwarf_cfa_rule{dwarf_cfa_rule_kind::expression, 0, 0, address, length};
}

void dwarf_cfa_state::release_bucket_chain(std::int16_t first) {
    while (first >= 0) {
        const std::int16_t next = entries_[first].next;
        entries_[first].next = free_;
        free_ = first;
        first = next;
    }
}

tqcrash_error_t dwarf_cfa_state::push_state() {
    if (depth_ + 1 >= kStateCount) {
        return TQCRASH_ENOMEM;
    }
    const int next = depth_ + 1;
    for (int bucket = 0; bucket < kBucketCount; ++bucket) {
        buckets_[next][bucket] = -1;
    }
    counts_[next] = 0;
    cfa_[next] = cfa_[depth_];
    // Copy every rule into the new state; the pool may run out on the way.
    for (int bucket = 0; bucket < kBucketCount; ++bucket) {
        for (std::int16_t at = buckets_[depth_][bucket]; at >= 0; at = entries_[at].next) {
            const std::int16_t fresh = take_entry();
            if (fresh < 0) {
                for (int b = 0; b < kBucketCount; ++b) {
                    release_bucket_chain(buckets_[next][b]);
                }
                return TQCRASH_ENOMEM;
            }
            entries_[fresh] = entry{entries_[at].reg, entries_[at].rule, entries_[at].value, buckets_[next][bucket]};
            buckets_[next][bucket] = fresh;
            ++counts_[next];
        }
    }
    depth_ = next;
    return TQCRASH_ESUCCESS;
}

tqcrash_error_t dwarf_cfa_state::pop_state() {
    if (depth_ == 0) {
        return TQCRASH_EINVAL;
    }
    for (int bucket = 0; bucket < kBucketCount; ++bucket) {
        release_bucket_chain(buckets_[depth_][bucket]);
    }
    --depth_;
    return TQCRASH_ESUCCESS;
}

} // namespace tqcrash::async
