// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashCompactUnwind.h"

#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashMachOImage.h"
#include "crashcapture/TQCrashMemoryObject.h"
#include "crashcapture/TQCrashTaskMemory.h"

namespace tqcrash::async {

namespace {

constexpr std::int32_t kCpuX86 = 7;
constexpr std::int32_t kCpuX86_64 = 0x1000007;
constexpr std::int32_t kCpuArm64 = 0x100000C;

constexpr std::uint32_t kSecondLevelRegular = 2;
constexpr std::uint32_t kSecondLevelCompressed = 3;

// Reads within the section, at `offset` from its start.
struct section_reader {
    const tqcrash_async_mobject* section;
    const tqcrash_async_byteorder* order;

    tqcrash_error_t u32(std::uint64_t offset, std::uint32_t* out) const {
        if (offset > INT64_MAX) return TQCRASH_EINVAL;
        return mobject_read_u32(section, order, mobject_task_address(section), static_cast<std::int64_t>(offset), out);
    }
    tqcrash_error_t u16(std::uint64_t offset, std::uint16_t* out) const {
        if (offset > INT64_MAX) return TQCRASH_EINVAL;
        return mobject_read_u16(section, order, mobject_task_address(section), static_cast<std::int64_t>(offset), out);
    }
};

// The published permutation numbering of 1 to 6 saved registers of a frameless function.
tqcrash_error_t decodePermutation(std::uint32_t count, std::uint32_t permutation, std::uint8_t* registers) {
    // Each register is picked from those left; the picks are the digits of a mixed-radix number.
    static constexpr std::uint32_t kRadixes[7][5] = {
        {}, {1}, {5, 1}, {20, 4, 1}, {60, 12, 3, 1}, {120, 24, 6, 2, 1}, {120, 24, 6, 2, 1},
    };
    if (count > 6) {
        return TQCRASH_EINVALID_DATA;
    }
    std::uint32_t picks[6] = {};
    for (std::uint32_t i = 0; i < count && i < 5; ++i) {
        picks[i] = permutation / kRadixes[count][i];
        permutation -= picks[i] * kRadixes[count][i];
    }
    bool used[7] = {};
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t rank = 0;
        bool placed = false;
        for (std::uint8_t reg = 1; reg <= 6 && !placed; ++reg) {
            if (used[reg]) continue;
            if (rank == picks[i]) {
                registers[i] = reg;
                used[reg] = true;
                placed = true;
            }
            ++rank;
        }
        if (!placed) return TQCRASH_EINVALID_DATA;
    }
    return TQCRASH_ESUCCESS;
}

tqcrash_error_t decodeX86(std::uint32_t encoding, std::uint32_t word, compact_unwind_entry* entry) {
    switch ((encoding >> 24) & 0x0F) {
    case 0: entry->mode = compact_unwind_mode::none; return TQCRASH_ESUCCESS;
    case 1: {
        entry->mode = compact_unwind_mode::frame;
        entry->frame_offset = ((encoding >> 16) & 0xFF) * word;
        const std::uint32_t saved = encoding & 0x7FFF;
        for (int i = 0; i < 5; ++i) {
            entry->registers[i] = static_cast<std::uint8_t>((saved >> (3 * i)) & 7);
        }
        entry->register_count = 5;
        return TQCRASH_ESUCCESS;
    }
    case 2:
    case 3: {
        const bool indirect = ((encoding >> 24) & 0x0F) == 3;
        entry->mode = indirect ? compact_unwind_mode::frameless_indirect : compact_unwind_mode::frameless_immediate;
        const std::uint32_t size = (encoding >> 16) & 0xFF;
        entry->stack_size = indirect ? size : size * word;
        entry->stack_adjust = ((encoding >> 13) & 7) * word;
        entry->register_count = (encoding >> 10) & 7;
        return decodePermutation(entry->register_count, encoding & 0x3FF, entry->registers);
    }
    case 4:
        entry->mode = compact_unwind_mode::dwarf;
        entry->dwarf_offset = encoding & 0x00FFFFFF;
        return TQCRASH_ESUCCESS;
    default: return TQCRASH_EINVALID_DATA;
    }
}

tqcrash_error_t decodeArm64(std::uint32_t encoding, compact_unwind_entry* entry) {
    switch ((encoding >> 24) & 0x0F) {
    case 0: entry->mode = compact_unwind_mode::none; return TQCRASH_ESUCCESS;
    case 2:
        entry->mode = compact_unwind_mode::frameless_immediate;
        entry->stack_size = ((encoding >> 12) & 0xFFF) * 16;
        return TQCRASH_ESUCCESS;
    case 3:
        entry->mode = compact_unwind_mode::dwarf;
        entry->dwarf_offset = encoding & 0x00FFFFFF;
        return TQCRASH_ESUCCESS;
    case 4:
        entry->mode = compact_unwind_mode::frame;
        // Pairs x19/x20 to x27/x28 by flag bits 0x1 to 0x10; floating-point pairs are not restored.
        for (std::uint8_t pair = 0; pair < 5; ++pair) {
            if ((encoding & (1u << pair)) != 0) {
                entry->registers[entry->register_count++] = static_cast<std::uint8_t>(19 + 2 * pair);
                entry->registers[entry->register_count++] = static_cast<std::uint8_t>(20 + 2 * pair);
            }
        }
        return TQCRASH_ESUCCESS;
    default: return TQCRASH_EINVALID_DATA;
    }
}

// The engine register of a saved x86-64 register in the format's numbering.
int x86_64Register(std::uint8_t number) {
    switch (number) {
    case 1: return TQCRASH_X86_64_RBX;
    case 2: return TQCRASH_X86_64_R12;
    case 3: return TQCRASH_X86_64_R13;
    case 4: return TQCRASH_X86_64_R14;
    case 5: return TQCRASH_X86_64_R15;
    case 6: return TQCRASH_X86_64_RBP;
    default: return -1;
    }
}

} // namespace

tqcrash_error_t compact_unwind_lookup(const tqcrash_async_mobject* section, const tqcrash_async_byteorder* order,
                                      std::uint32_t target, std::uint32_t* encoding, std::uint32_t* function_offset) {
    const section_reader in{section, order};
    std::uint32_t version = 0, commonOffset = 0, commonCount = 0, indexOffset = 0, indexCount = 0;
    TQCRASH_TRY(in.u32(0, &version));
    if (version != 1) {
        return TQCRASH_EINVAL;
    }
    TQCRASH_TRY(in.u32(4, &commonOffset));
    TQCRASH_TRY(in.u32(8, &commonCount));
    TQCRASH_TRY(in.u32(20, &indexOffset));
    TQCRASH_TRY(in.u32(24, &indexCount));
    if (indexCount < 2) {
        return TQCRASH_ENOTFOUND;
    }
    // First level: the last entry (the final one only marks the end) starting at or below target.
    std::uint32_t low = 0, high = indexCount - 1;
    std::uint32_t firstStart = 0;
    TQCRASH_TRY(in.u32(indexOffset, &firstStart));
    if (target < firstStart) {
        return TQCRASH_ENOTFOUND;
    }
    std::uint32_t end = 0;
    TQCRASH_TRY(in.u32(indexOffset + std::uint64_t{high} * 12, &end));
    if (target >= end) {
        return TQCRASH_ENOTFOUND;
    }
    while (high - low > 1) {
        const std::uint32_t middle = low + (high - low) / 2;
        std::uint32_t start = 0;
        TQCRASH_TRY(in.u32(indexOffset + std::uint64_t{middle} * 12, &start));
        if (start <= target) low = middle;
        else high = middle;
    }
    std::uint32_t levelStart = 0, page = 0;
    TQCRASH_TRY(in.u32(indexOffset + std::uint64_t{low} * 12, &levelStart));
    TQCRASH_TRY(in.u32(indexOffset + std::uint64_t{low} * 12 + 4, &page));
    if (page == 0) {
        return TQCRASH_ENOTFOUND;
    }
    std::uint32_t kind = 0;
    std::uint16_t entriesOffset = 0, entryCount = 0;
    TQCRASH_TRY(in.u32(page, &kind));
    TQCRASH_TRY(in.u16(std::uint64_t{page} + 4, &entriesOffset));
    TQCRASH_TRY(in.u16(std::uint64_t{page} + 6, &entryCount));
    if (entryCount == 0) {
        return TQCRASH_ENOTFOUND;
    }
    const std::uint64_t entries = std::uint64_t{page} + entriesOffset;
    if (kind == kSecondLevelRegular) {
        std::uint32_t lo = 0, hi = entryCount;
        while (hi - lo > 1) {
            const std::uint32_t middle = lo + (hi - lo) / 2;
            std::uint32_t start = 0;
            TQCRASH_TRY(in.u32(entries + std::uint64_t{middle} * 8, &start));
            if (start <= target) lo = middle;
            else hi = middle;
        }
        TQCRASH_TRY(in.u32(entries + std::uint64_t{lo} * 8, function_offset));
        if (*function_offset > target) return TQCRASH_ENOTFOUND;
        return in.u32(entries + std::uint64_t{lo} * 8 + 4, encoding);
    }
    if (kind != kSecondLevelCompressed) {
        return TQCRASH_EINVALID_DATA;
    }
    std::uint16_t pageEncodingsOffset = 0, pageEncodingsCount = 0;
    TQCRASH_TRY(in.u16(std::uint64_t{page} + 8, &pageEncodingsOffset));
    TQCRASH_TRY(in.u16(std::uint64_t{page} + 10, &pageEncodingsCount));
    std::uint32_t lo = 0, hi = entryCount;
    while (hi - lo > 1) {
        const std::uint32_t middle = lo + (hi - lo) / 2;
        std::uint32_t word = 0;
        TQCRASH_TRY(in.u32(entries + std::uint64_t{middle} * 4, &word));
        if (levelStart + (word & 0x00FFFFFF) <= target) lo = middle;
        else hi = middle;
    }
    std::uint32_t word = 0;
    TQCRASH_TRY(in.u32(entries + std::uint64_t{lo} * 4, &word));
    *function_offset = levelStart + (word & 0x00FFFFFF);
    if (*function_offset > target) {
        return TQCRASH_ENOTFOUND;
    }
    const std::uint32_t index = word >> 24;
    if (index < commonCount) {
        return in.u32(commonOffset + std::uint64_t{index} * 4, encoding);
    }
    if (index - commonCount >= pageEncodingsCount) {
        return TQCRASH_EINVALID_DATA;
    }
    return in.u32(std::uint64_t{page} + pageEncodingsOffset + std::uint64_t{index - commonCount} * 4, encoding);
}

tqcrash_error_t compact_unwind_decode(std::int32_t cpu_type, std::uint32_t encoding, compact_unwind_entry* entry) {
    *entry = compact_unwind_entry{};
    entry->encoding = encoding;
    switch (cpu_type) {
    case kCpuX86_64: return decodeX86(encoding, 8, entry);
    case kCpuX86: return decodeX86(encoding, 4, entry);
    case kCpuArm64: return decodeArm64(encoding, entry);
    default: return TQCRASH_EINVAL;
    }
}

frame_status compact_unwind_apply(const compact_unwind_entry* entry, std::uint64_t function_start,
                                  const tqcrash_async_thread_state* current, tqcrash_async_thread_state* next) {
    if (entry->mode == compact_unwind_mode::none) {
        return FRAME_ENOFRAME;
    }
    if (entry->mode == compact_unwind_mode::dwarf) {
        return FRAME_ENOTSUP;
    }
    *next = *current;
    thread_state_clear_volatile(next);
    next->exact_ip = false;
    std::uint64_t cfa = 0;
    std::uint64_t saved = 0; // where the first saved register lies
    if (entry->mode == compact_unwind_mode::frame) {
        if (!thread_state_has_register(current, TQCRASH_REG_FP)) {
            return FRAME_EBADFRAME;
        }
        const std::uint64_t fp = thread_state_get_register(current, TQCRASH_REG_FP);
        std::uint64_t words[2];
        if (task_memory_read(fp, 0, words, sizeof words) != TQCRASH_ESUCCESS) {
            return FRAME_EBADFRAME;
        }
        cfa = fp + 16;
        thread_state_set_register(next, TQCRASH_REG_FP, words[0]);
        thread_state_set_register(next, TQCRASH_REG_IP, words[1]);
        saved = fp - entry->frame_offset;
    } else {
        if (!thread_state_has_register(current, TQCRASH_REG_SP)) {
            return FRAME_EBADFRAME;
        }
        std::uint64_t size = entry->stack_size;
        if (entry->mode == compact_unwind_mode::frameless_indirect) {
            std::uint32_t inCode = 0;
            if (task_memory_read(function_start, entry->stack_size, &inCode, sizeof inCode) != TQCRASH_ESUCCESS) {
                return FRAME_EBADFRAME;
            }
            size = std::uint64_t{inCode} + entry->stack_adjust;
        }
        cfa = thread_state_get_register(current, TQCRASH_REG_SP) + size;
        std::uint64_t returnAddress = 0;
        if (task_memory_read(cfa, -8, &returnAddress, sizeof returnAddress) != TQCRASH_ESUCCESS) {
            return FRAME_EBADFRAME;
        }
        thread_state_set_register(next, TQCRASH_REG_IP, returnAddress);
        saved = cfa - 8 - 8 * std::uint64_t{entry->register_count};
    }
    thread_state_set_register(next, TQCRASH_REG_SP, cfa);
    for (std::uint32_t i = 0; i < entry->register_count; ++i) {
        const int reg = x86_64Register(entry->registers[i]);
        if (reg < 0) {
            continue; // an empty slot of a frame-based function
        }
        std::uint64_t value = 0;
        if (task_memory_read(saved, 8 * static_cast<std::int64_t>(i), &value, sizeof value) != TQCRASH_ESUCCESS) {
            return FRAME_EBADFRAME;
        }
        thread_state_set_register(next, reg, value);
    }
    return FRAME_ESUCCESS;
}

frame_status compact_unwind_frame_read_image(const macho_image* image, const tqcrash_async_thread_state* current,
                                             tqcrash_async_thread_state* next) {
    std::uint64_t pc = 0;
    if (const frame_status status = frame_lookup_pc(current, &pc); status != FRAME_ESUCCESS) {
        return status;
    }
    if (!macho_image_contains_address(image, pc)) {
        return FRAME_ENOTSUP;
    }
    tqcrash_async_mobject section;
    if (macho_map_section(image, "__TEXT", "__unwind_info", &section) != TQCRASH_ESUCCESS) {
        return FRAME_ENOTSUP;
    }
    std::uint32_t encoding = 0, functionOffset = 0;
    compact_unwind_entry entry;
    const tqcrash_error_t found = compact_unwind_lookup(&section, image->byteorder,
                                                       static_cast<std::uint32_t>(pc - image->header_addr), &encoding,
                                                       &functionOffset);
    mobject_unmap(&section);
    if (found != TQCRASH_ESUCCESS) {
        return found == TQCRASH_ENOTFOUND ? FRAME_ENOTSUP : static_cast<frame_status>(found);
    }
    if (compact_unwind_decode(static_cast<std::int32_t>(image->header.cputype), encoding, &entry) != TQCRASH_ESUCCESS) {
        return FRAME_EINVAL;
    }
    return compact_unwind_apply(&entry, image->header_addr + functionOffset, current, next);
}

} // namespace tqcrash::async
