// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashDwarfCfi.h"

#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashDwarfExpression.h"
#include "crashcapture/TQCrashEhPointerReader.h"
#include "crashcapture/TQCrashMemoryObject.h"
#include "crashcapture/TQCrashTaskMemory.h"
#include "crashcapture/TQCrashThreadState.h"

namespace tqcrash::async {

namespace {

enum : std::uint8_t {
    DW_CFA_nop = 0x00, DW_CFA_set_loc = 0x01, DW_CFA_advance_loc1 = 0x02, DW_CFA_advance_loc2 = 0x03,
    DW_CFA_advance_loc4 = 0x04, DW_CFA_offset_extended = 0x05, DW_CFA_restore_extended = 0x06,
    DW_CFA_undefined = 0x07, DW_CFA_same_value = 0x08, DW_CFA_register = 0x09, DW_CFA_remember_state = 0x0a,
    DW_CFA_restore_state = 0x0b, DW_CFA_def_cfa = 0x0c, DW_CFA_def_cfa_register = 0x0d,
    DW_CFA_def_cfa_offset = 0x0e, DW_CFA_def_cfa_expression = 0x0f, DW_CFA_expression = 0x10,
    DW_CFA_offset_extended_sf = 0x11, DW_CFA_def_cfa_sf = 0x12, DW_CFA_def_cfa_offset_sf = 0x13,
    DW_CFA_val_offset = 0x14, DW_CFA_val_offset_sf = 0x15, DW_CFA_val_expression = 0x16,
    DW_CFA_advance_loc = 0x40, DW_CFA_offset = 0x80, DW_CFA_restore = 0xc0,
};

// A cursor over the bytes of one entry or program, which refuses to read past `end`.
struct byte_cursor {
    const dwarf_section* section;
    std::uint64_t at;
    std::uint64_t end;

    tqcrash_error_t byte(std::uint8_t* out) {
        if (at + 1 > end) return TQCRASH_EINVAL;
        TQCRASH_TRY(mobject_read_byte(section->frames, at, 0, out));
        at += 1;
        return TQCRASH_ESUCCESS;
    }
    template <typename T>
    tqcrash_error_t fixed(T* out) {
        if (at + sizeof(T) > end) return TQCRASH_EINVAL;
        if constexpr (sizeof(T) == 2) {
            TQCRASH_TRY(mobject_read_u16(section->frames, section->byteorder, at, 0, out));
        } else if constexpr (sizeof(T) == 4) {
            TQCRASH_TRY(mobject_read_u32(section->frames, section->byteorder, at, 0, out));
        } else {
            TQCRASH_TRY(mobject_read_u64(section->frames, section->byteorder, at, 0, out));
        }
        at += sizeof(T);
        return TQCRASH_ESUCCESS;
    }
    tqcrash_error_t u16(std::uint16_t* out) { return fixed(out); }
    tqcrash_error_t u32(std::uint32_t* out) { return fixed(out); }
    tqcrash_error_t u64(std::uint64_t* out) { return fixed(out); }
    tqcrash_error_t uleb(std::uint64_t* out) {
        std::size_t size = 0;
        TQCRASH_TRY(mobject_read_uleb128(section->frames, at, 0, out, &size));
        if (at + size > end) return TQCRASH_EINVAL;
        at += size;
        return TQCRASH_ESUCCESS;
    }
    tqcrash_error_t sleb(std::int64_t* out) {
        std::size_t size = 0;
        TQCRASH_TRY(mobject_read_sleb128(section->frames, at, 0, out, &size));
        if (at + size > end) return TQCRASH_EINVAL;
        at += size;
        return TQCRASH_ESUCCESS;
    }
    tqcrash_error_t pointer(const gnu_ehptr_reader* reader, std::uint8_t encoding, std::uint64_t* out) {
        std::size_t size = 0;
        TQCRASH_TRY(gnu_ehptr_reader_read(reader, section->frames, at, 0, encoding, out, &size));
        if (at + size > end) return TQCRASH_EINVAL;
        at += size;
        return TQCRASH_ESUCCESS;
    }
    tqcrash_error_t skip(std::uint64_t count) {
        if (count > end - at) return TQCRASH_EINVAL;
        at += count;
        return TQCRASH_ESUCCESS;
    }
};

// The length field of the entry at `address`: `*body` gets where the entry's content starts and
// `*end` where it ends. `*terminator` is true for the zero length that ends the section.
tqcrash_error_t readEntryLength(const dwarf_section* section, std::uint64_t address, std::uint64_t* body,
                                std::uint64_t* end, bool* wide, bool* terminator) {
    const std::uint64_t sectionEnd = mobject_task_address(section->frames) + mobject_length(section->frames);
    byte_cursor cursor{section, address, sectionEnd};
    std::uint32_t length32 = 0;
    TQCRASH_TRY(cursor.u32(&length32));
    *terminator = length32 == 0;
    *wide = length32 == 0xFFFFFFFFu;
    std::uint64_t length = length32;
    if (*wide) {
        TQCRASH_TRY(cursor.u64(&length));
    }
    if (length > sectionEnd - cursor.at) {
        return TQCRASH_EINVAL;
    }
    *body = cursor.at;
    *end = cursor.at + length;
    return TQCRASH_ESUCCESS;
}

std::uint8_t fdePointerEncoding(const dwarf_cie_info* cie) {
    return cie->has_pointer_encoding ? cie->pointer_encoding : std::uint8_t{DW_EH_PE_absptr};
}

bool isCieId(const dwarf_section* section, std::uint64_t id, bool wide) {
    if (!section->debug_frame) {
        return id == 0;
    }
    return wide ? id == UINT64_MAX : id == 0xFFFFFFFFu;
}

} // namespace

tqcrash_error_t dwarf_parse_cie(const dwarf_section* section, std::uint64_t address, dwarf_cie_info* cie) {
    std::uint64_t body = 0, end = 0;
    bool wide = false, terminator = false;
    TQCRASH_TRY(readEntryLength(section, address, &body, &end, &wide, &terminator));
    if (terminator) {
        return TQCRASH_EINVAL;
    }
    byte_cursor cursor{section, body, end};
    std::uint64_t id = 0;
    if (wide) {
        TQCRASH_TRY(cursor.u64(&id));
    } else {
        std::uint32_t id32 = 0;
        TQCRASH_TRY(cursor.u32(&id32));
        id = id32;
    }
    if (!isCieId(section, id, wide)) {
        return TQCRASH_EINVALID_DATA;
    }
    *cie = dwarf_cie_info{};
    cie->address_size = section->pointers->pointer_size;
    TQCRASH_TRY(cursor.byte(&cie->version));
    if (cie->version != 1 && cie->version != 3 && cie->version != 4) {
        return TQCRASH_ENOTSUP;
    }
    // The augmentation string: empty, or beginning with 'z'.
    const std::uint64_t augmentation = cursor.at;
    std::uint8_t letter = 0;
    do {
        TQCRASH_TRY(cursor.byte(&letter));
    } while (letter != 0);
    std::uint8_t first = 0;
    TQCRASH_TRY(mobject_read_byte(section->frames, augmentation, 0, &first));
    if (first != 0 && first != 'z') {
        return TQCRASH_ENOTSUP;
    }
    if (cie->version == 4) {
        TQCRASH_TRY(cursor.byte(&cie->address_size));
        TQCRASH_TRY(cursor.byte(&cie->segment_size));
    }
    TQCRASH_TRY(cursor.uleb(&cie->code_alignment_factor));
    TQCRASH_TRY(cursor.sleb(&cie->data_alignment_factor));
    if (cie->version == 1) {
        std::uint8_t reg = 0;
        TQCRASH_TRY(cursor.byte(&reg));
        cie->return_address_register = reg;
    } else {
        TQCRASH_TRY(cursor.uleb(&cie->return_address_register));
    }
    if (first == 'z') {
        cie->has_augmentation_data = true;
        std::uint64_t dataLength = 0;
        TQCRASH_TRY(cursor.uleb(&dataLength));
        const std::uint64_t dataEnd = cursor.at + dataLength;
        if (dataLength > end - cursor.at) {
            return TQCRASH_EINVAL;
        }
        for (std::uint64_t at = augmentation + 1;; ++at) {
            TQCRASH_TRY(mobject_read_byte(section->frames, at, 0, &letter));
            if (letter == 0) {
                break;
            }
            switch (letter) {
            case 'L':
                cie->has_lsda_encoding = true;
                TQCRASH_TRY(cursor.byte(&cie->lsda_encoding));
                break;
            case 'P':
                cie->has_personality = true;
                TQCRASH_TRY(cursor.byte(&cie->personality_encoding));
                TQCRASH_TRY(cursor.pointer(section->pointers, cie->personality_encoding, &cie->personality_address));
                break;
            case 'R':
                cie->has_pointer_encoding = true;
                TQCRASH_TRY(cursor.byte(&cie->pointer_encoding));
                break;
            case 'S': cie->signal_frame = true; break;
            default: return TQCRASH_ENOTSUP; // the rest of the data can't be read without knowing it
            }
        }
        cursor.at = dataEnd;
    }
    cie->initial_instructions = cursor.at;
    cie->initial_instructions_length = end - cursor.at;
    return TQCRASH_ESUCCESS;
}

tqcrash_error_t dwarf_parse_fde(const dwarf_section* section, std::uint64_t address, dwarf_fde_info* fde,
                                dwarf_cie_info* cie) {
    std::uint64_t body = 0, end = 0;
    bool wide = false, terminator = false;
    TQCRASH_TRY(readEntryLength(section, address, &body, &end, &wide, &terminator));
    if (terminator) {
        return TQCRASH_ENOTFOUND;
    }
    byte_cursor cursor{section, body, end};
    const std::uint64_t idField = cursor.at;
    std::uint64_t id = 0;
    if (wide) {
        TQCRASH_TRY(cursor.u64(&id));
    } else {
        std::uint32_t id32 = 0;
        TQCRASH_TRY(cursor.u32(&id32));
        id = id32;
    }
    if (isCieId(section, id, wide)) {
        return TQCRASH_EINVALID_DATA; // a CIE, not an FDE
    }
    *fde = dwarf_fde_info{};
    // .eh_frame: the distance back from the id field; .debug_frame: an offset into the section.
    if (section->debug_frame) {
        fde->cie_address = mobject_task_address(section->frames) + id;
    } else if (id > idField) {
        return TQCRASH_EINVALID_DATA;
    } else {
        fde->cie_address = idField - id;
    }
    TQCRASH_TRY(dwarf_parse_cie(section, fde->cie_address, cie));
    const std::uint8_t encoding = fdePointerEncoding(cie);
    TQCRASH_TRY(cursor.pointer(section->pointers, encoding, &fde->pc_start));
    std::uint64_t range = 0;
    TQCRASH_TRY(cursor.pointer(section->pointers, encoding & 0x0F, &range));
    if (__builtin_add_overflow(fde->pc_start, range, &fde->pc_end)) {
        return TQCRASH_EINVALID_DATA;
    }
    if (cie->has_augmentation_data) {
        std::uint64_t dataLength = 0;
        TQCRASH_TRY(cursor.uleb(&dataLength));
        TQCRASH_TRY(cursor.skip(dataLength));
    }
    fde->instructions = cursor.at;
    fde->instructions_length = end - cursor.at;
    return TQCRASH_ESUCCESS;
}

namespace {

// A factored offset times the data alignment factor. Damaged tables may hold any values: the
// product wraps instead of overflowing, and a wrapped offset only makes a rule point nowhere useful.
std::int64_t scaledByDataAlignment(std::int64_t factored, const dwarf_cie_info* cie) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(factored) *
                                     static_cast<std::uint64_t>(cie->data_alignment_factor));
}

// Binary search of the sorted table of .eh_frame_hdr: {initial location, FDE address} pairs.
tqcrash_error_t findThroughIndex(const dwarf_section* section, std::uint64_t pc, std::uint64_t* fdeAddress) {
    const tqcrash_async_mobject* index = section->index;
    const std::uint64_t base = mobject_task_address(index);
    std::uint8_t version = 0, frameEncoding = 0, countEncoding = 0, tableEncoding = 0;
    TQCRASH_TRY(mobject_read_byte(index, base, 0, &version));
    TQCRASH_TRY(mobject_read_byte(index, base, 1, &frameEncoding));
    TQCRASH_TRY(mobject_read_byte(index, base, 2, &countEncoding));
    TQCRASH_TRY(mobject_read_byte(index, base, 3, &tableEncoding));
    if (version != 1 || tableEncoding == DW_EH_PE_omit || countEncoding == DW_EH_PE_omit) {
        return TQCRASH_ENOTSUP;
    }
    gnu_ehptr_reader reader = *section->pointers;
    gnu_ehptr_reader_set_data_base(&reader, base);
    std::uint64_t value = 0;
    std::size_t size = 0;
    std::int64_t at = 4;
    TQCRASH_TRY(gnu_ehptr_reader_read(&reader, index, base, at, frameEncoding, &value, &size));
    at += static_cast<std::int64_t>(size);
    std::uint64_t count = 0;
    TQCRASH_TRY(gnu_ehptr_reader_read(&reader, index, base, at, countEncoding, &count, &size));
    at += static_cast<std::int64_t>(size);
    std::int64_t width = 0;
    switch (tableEncoding & 0x0F) {
    case DW_EH_PE_udata4:
    case DW_EH_PE_sdata4: width = 4; break;
    case DW_EH_PE_udata8:
    case DW_EH_PE_sdata8: width = 8; break;
    default: return TQCRASH_ENOTSUP; // entries of varying size can't be searched
    }
    if (count == 0 || count > static_cast<std::uint64_t>(INT64_MAX / (2 * width))) {
        return TQCRASH_ENOTFOUND;
    }
    std::uint64_t low = 0, high = count;
    while (high - low > 1) {
        const std::uint64_t middle = low + (high - low) / 2;
        std::uint64_t start = 0;
        TQCRASH_TRY(gnu_ehptr_reader_read(&reader, index, base, at + static_cast<std::int64_t>(middle) * 2 * width,
                                  tableEncoding, &start, &size));
        if (start <= pc) {
            low = middle;
        } else {
            high = middle;
        }
    }
    std::uint64_t start = 0;
    TQCRASH_TRY(gnu_ehptr_reader_read(&reader, index, base, at + static_cast<std::int64_t>(low) * 2 * width, tableEncoding,
                              &start, &size));
    if (start > pc) {
        return TQCRASH_ENOTFOUND;
    }
    return gnu_ehptr_reader_read(&reader, index, base, at + static_cast<std::int64_t>(low) * 2 * width + width,
                                 tableEncoding, fdeAddress, &size);
}

} // namespace

tqcrash_error_t dwarf_find_fde(const dwarf_section* section, std::uint64_t pc, dwarf_fde_info* fde, dwarf_cie_info* cie) {
    if (section->index != nullptr) {
        std::uint64_t address = 0;
        const tqcrash_error_t status = findThroughIndex(section, pc, &address);
        if (status == TQCRASH_ESUCCESS) {
            TQCRASH_TRY(dwarf_parse_fde(section, address, fde, cie));
            return pc >= fde->pc_start && pc < fde->pc_end ? TQCRASH_ESUCCESS : TQCRASH_ENOTFOUND;
        }
        if (status != TQCRASH_ENOTSUP) {
            return status;
        }
    }
    const std::uint64_t sectionEnd = mobject_task_address(section->frames) + mobject_length(section->frames);
    for (std::uint64_t at = mobject_task_address(section->frames); at < sectionEnd;) {
        std::uint64_t body = 0, end = 0;
        bool wide = false, terminator = false;
        TQCRASH_TRY(readEntryLength(section, at, &body, &end, &wide, &terminator));
        if (terminator) {
            return TQCRASH_ENOTFOUND;
        }
        std::uint64_t id = 0;
        byte_cursor cursor{section, body, end};
        if (wide) {
            TQCRASH_TRY(cursor.u64(&id));
        } else {
            std::uint32_t id32 = 0;
            TQCRASH_TRY(cursor.u32(&id32));
            id = id32;
        }
        if (!isCieId(section, id, wide)) {
            TQCRASH_TRY(dwarf_parse_fde(section, at, fde, cie));
            if (pc >= fde->pc_start && pc < fde->pc_end) {
                return TQCRASH_ESUCCESS;
            }
        }
        at = end;
    }
    return TQCRASH_ENOTFOUND;
}

tqcrash_error_t dwarf_cfa_eval_program(const dwarf_section* section, const dwarf_cie_info* cie,
                                       const dwarf_cfa_state* cie_state, std::uint64_t pc_start, std::uint64_t pc,
                                       std::uint64_t address, std::uint64_t length, dwarf_cfa_state* state) {
    byte_cursor cursor{section, address, 0};
    if (__builtin_add_overflow(address, length, &cursor.end)) {
        return TQCRASH_EINVAL;
    }
    std::uint64_t location = pc_start;
    auto advance = [&](std::uint64_t delta) {
        location += delta * cie->code_alignment_factor;
        return location > pc;
    };
    auto restore = [&](std::uint64_t reg) {
        tqcrash_dwarf_cfa_reg_rule_t rule;
        std::uint64_t value = 0;
        if (cie_state != nullptr && cie_state->get_register_rule(static_cast<std::uint32_t>(reg), &rule, &value)) {
            return state->set_register(static_cast<std::uint32_t>(reg), rule, value);
        }
        state->remove_register(static_cast<std::uint32_t>(reg));
        return TQCRASH_ESUCCESS;
    };
    auto offsetRule = [&](std::uint64_t reg, tqcrash_dwarf_cfa_reg_rule_t rule, std::int64_t factored) {
        return state->set_register(static_cast<std::uint32_t>(reg), rule,
                                   static_cast<std::uint64_t>(scaledByDataAlignment(factored, cie)));
    };

    while (cursor.at < cursor.end) {
        std::uint8_t op = 0;
        TQCRASH_TRY(cursor.byte(&op));
        const std::uint8_t operand = op & 0x3F;
        std::uint64_t reg = 0, a = 0;
        std::int64_t s = 0;
        switch (op & 0xC0) {
        case DW_CFA_advance_loc:
            if (advance(operand)) return TQCRASH_ESUCCESS;
            continue;
        case DW_CFA_offset:
            TQCRASH_TRY(cursor.uleb(&a));
            TQCRASH_TRY(offsetRule(operand, TQCRASH_DWARF_CFA_REG_RULE_OFFSET, static_cast<std::int64_t>(a)));
            continue;
        case DW_CFA_restore:
            TQCRASH_TRY(restore(operand));
            continue;
        default: break;
        }
        switch (op) {
        case DW_CFA_nop: break;
        case DW_CFA_set_loc: {
            TQCRASH_TRY(cursor.pointer(section->pointers, fdePointerEncoding(cie), &a));
            location = a;
            if (location > pc) return TQCRASH_ESUCCESS;
            break;
        }
        case DW_CFA_advance_loc1: {
            std::uint8_t delta = 0;
            TQCRASH_TRY(cursor.byte(&delta));
            if (advance(delta)) return TQCRASH_ESUCCESS;
            break;
        }
        case DW_CFA_advance_loc2: {
            std::uint16_t delta = 0;
            TQCRASH_TRY(cursor.u16(&delta));
            if (advance(delta)) return TQCRASH_ESUCCESS;
            break;
        }
        case DW_CFA_advance_loc4: {
            std::uint32_t delta = 0;
            TQCRASH_TRY(cursor.u32(&delta));
            if (advance(delta)) return TQCRASH_ESUCCESS;
            break;
        }
        case DW_CFA_offset_extended:
            TQCRASH_TRY(cursor.uleb(&reg));
            TQCRASH_TRY(cursor.uleb(&a));
            TQCRASH_TRY(offsetRule(reg, TQCRASH_DWARF_CFA_REG_RULE_OFFSET, static_cast<std::int64_t>(a)));
            break;
        case DW_CFA_restore_extended:
            TQCRASH_TRY(cursor.uleb(&reg));
            TQCRASH_TRY(restore(reg));
            break;
        case DW_CFA_undefined:
            TQCRASH_TRY(cursor.uleb(&reg));
            state->remove_register(static_cast<std::uint32_t>(reg));
            break;
        case DW_CFA_same_value:
            TQCRASH_TRY(cursor.uleb(&reg));
            TQCRASH_TRY(state->set_register(static_cast<std::uint32_t>(reg), TQCRASH_DWARF_CFA_REG_RULE_SAME_VALUE, 0));
            break;
        case DW_CFA_register:
            TQCRASH_TRY(cursor.uleb(&reg));
            TQCRASH_TRY(cursor.uleb(&a));
            TQCRASH_TRY(state->set_register(static_cast<std::uint32_t>(reg), TQCRASH_DWARF_CFA_REG_RULE_REGISTER, a));
            break;
        case DW_CFA_remember_state: TQCRASH_TRY(state->push_state()); break;
        case DW_CFA_restore_state: TQCRASH_TRY(state->pop_state()); break;
        case DW_CFA_def_cfa:
            TQCRASH_TRY(cursor.uleb(&reg));
            TQCRASH_TRY(cursor.uleb(&a));
            state->set_cfa_register(static_cast<std::uint32_t>(reg), dwarf_cfa_rule_kind::register_unsigned,
                                    static_cast<std::int64_t>(a));
            break;
        case DW_CFA_def_cfa_sf:
            TQCRASH_TRY(cursor.uleb(&reg));
            TQCRASH_TRY(cursor.sleb(&s));
            state->set_cfa_register(static_cast<std::uint32_t>(reg), dwarf_cfa_rule_kind::register_signed,
                                    scaledByDataAlignment(s, cie));
            break;
        case DW_CFA_def_cfa_register: {
            TQCRASH_TRY(cursor.uleb(&reg));
            dwarf_cfa_rule& rule = state->cfa_rule();
            if (rule.kind == dwarf_cfa_rule_kind::none || rule.kind == dwarf_cfa_rule_kind::expression) {
                return TQCRASH_EINVALID_DATA;
            }
            rule.reg = static_cast<std::uint32_t>(reg);
            break;
        }
        case DW_CFA_def_cfa_offset:
        case DW_CFA_def_cfa_offset_sf: {
            dwarf_cfa_rule& rule = state->cfa_rule();
            if (rule.kind == dwarf_cfa_rule_kind::none || rule.kind == dwarf_cfa_rule_kind::expression) {
                return TQCRASH_EINVALID_DATA;
            }
            if (op == DW_CFA_def_cfa_offset) {
                TQCRASH_TRY(cursor.uleb(&a));
                rule.offset = static_cast<std::int64_t>(a);
                rule.kind = dwarf_cfa_rule_kind::register_unsigned;
            } else {
                TQCRASH_TRY(cursor.sleb(&s));
                rule.offset = scaledByDataAlignment(s, cie);
                rule.kind = dwarf_cfa_rule_kind::register_signed;
            }
            break;
        }
        case DW_CFA_def_cfa_expression:
            TQCRASH_TRY(cursor.uleb(&a));
            state->set_cfa_expression(cursor.at, a);
            TQCRASH_TRY(cursor.skip(a));
            break;
        case DW_CFA_expression:
        case DW_CFA_val_expression: {
            TQCRASH_TRY(cursor.uleb(&reg));
            // The rule keeps where the expression block (its ULEB128 length, then its bytes) starts.
            const std::uint64_t block = cursor.at;
            TQCRASH_TRY(cursor.uleb(&a));
            TQCRASH_TRY(cursor.skip(a));
            TQCRASH_TRY(state->set_register(static_cast<std::uint32_t>(reg),
                                    op == DW_CFA_expression ? TQCRASH_DWARF_CFA_REG_RULE_EXPRESSION
                                                            : TQCRASH_DWARF_CFA_REG_RULE_VAL_EXPRESSION,
                                    block));
            break;
        }
        case DW_CFA_offset_extended_sf:
            TQCRASH_TRY(cursor.uleb(&reg));
            TQCRASH_TRY(cursor.sleb(&s));
            TQCRASH_TRY(offsetRule(reg, TQCRASH_DWARF_CFA_REG_RULE_OFFSET, s));
            break;
        case DW_CFA_val_offset:
            TQCRASH_TRY(cursor.uleb(&reg));
            TQCRASH_TRY(cursor.uleb(&a));
            TQCRASH_TRY(offsetRule(reg, TQCRASH_DWARF_CFA_REG_RULE_VAL_OFFSET, static_cast<std::int64_t>(a)));
            break;
        case DW_CFA_val_offset_sf:
            TQCRASH_TRY(cursor.uleb(&reg));
            TQCRASH_TRY(cursor.sleb(&s));
            TQCRASH_TRY(offsetRule(reg, TQCRASH_DWARF_CFA_REG_RULE_VAL_OFFSET, s));
            break;
        default: return TQCRASH_ENOTSUP;
        }
    }
    return TQCRASH_ESUCCESS;
}

namespace {

tqcrash_error_t readWord(const dwarf_cie_info* cie, const dwarf_section* section, std::uint64_t address,
                         std::uint64_t* out) {
    if (cie->address_size == 4) {
        std::uint32_t word = 0;
        TQCRASH_TRY(task_memory_read_u32(section->byteorder, address, 0, &word));
        *out = word;
        return TQCRASH_ESUCCESS;
    }
    return task_memory_read_u64(section->byteorder, address, 0, out);
}

// The value of a DWARF register in `state`: TQCRASH_ENOTSUP when it can't be mapped,
// TQCRASH_ENOTFOUND when it holds no value.
tqcrash_error_t dwarfRegisterValue(const tqcrash_async_thread_state* state, std::uint64_t dwarfRegister,
                                   std::uint64_t* out) {
    int reg = -1;
    if (dwarfRegister > UINT32_MAX ||
        !thread_state_map_dwarf_register(state, static_cast<std::uint32_t>(dwarfRegister), &reg)) {
        return TQCRASH_ENOTSUP;
    }
    if (!thread_state_has_register(state, reg)) {
        return TQCRASH_ENOTFOUND;
    }
    *out = thread_state_get_register(state, reg);
    return TQCRASH_ESUCCESS;
}

// Evaluates the expression block (ULEB128 length, then the bytes) at `block`.
tqcrash_error_t evalBlock(const dwarf_section* section, const dwarf_cie_info* cie,
                          const tqcrash_async_thread_state* current, std::uint64_t block, const std::uint64_t* initial,
                          std::size_t initialCount, std::uint64_t* out) {
    std::uint64_t length = 0;
    std::size_t size = 0;
    TQCRASH_TRY(mobject_read_uleb128(section->frames, block, 0, &length, &size));
    return tqcrash_async_dwarf_expression_eval(section->frames, section->byteorder, cie->address_size, current,
                                               block + size, 0, length, initial, initialCount, out);
}

} // namespace

tqcrash_error_t dwarf_cfa_state_apply(const dwarf_section* section, const dwarf_cie_info* cie,
                                      const dwarf_cfa_state* state, const tqcrash_async_thread_state* current,
                                      tqcrash_async_thread_state* next) {
    *next = *current;
    thread_state_clear_volatile(next);
    // Stepping out of a signal trampoline gives the interrupted registers: their pc is exact.
    next->exact_ip = cie->signal_frame;

    const dwarf_cfa_rule& cfaRule = state->cfa_rule();
    std::uint64_t cfa = 0;
    switch (cfaRule.kind) {
    case dwarf_cfa_rule_kind::none: return TQCRASH_EINVAL;
    case dwarf_cfa_rule_kind::register_unsigned:
    case dwarf_cfa_rule_kind::register_signed:
        TQCRASH_TRY(dwarfRegisterValue(current, cfaRule.reg, &cfa));
        cfa += static_cast<std::uint64_t>(cfaRule.offset);
        break;
    case dwarf_cfa_rule_kind::expression:
        TQCRASH_TRY(tqcrash_async_dwarf_expression_eval(section->frames, section->byteorder, cie->address_size, current,
                                                cfaRule.expression, 0, cfaRule.length, nullptr, 0, &cfa));
        break;
    }
    if (cie->address_size == 4) {
        cfa &= 0xFFFFFFFFu;
    }
    thread_state_set_register(next, TQCRASH_REG_SP, cfa);

    tqcrash_error_t status = TQCRASH_ESUCCESS;
    bool ipSet = false;
    state->for_each([&](std::uint32_t reg, tqcrash_dwarf_cfa_reg_rule_t rule, std::uint64_t value) {
        if (status != TQCRASH_ESUCCESS) {
            return;
        }
        const bool returnAddress = reg == cie->return_address_register;
        int engine = -1;
        const bool mappable = thread_state_map_dwarf_register(current, reg, &engine);
        if (!mappable && !returnAddress) {
            status = TQCRASH_ENOTSUP;
            return;
        }
        std::uint64_t result = 0;
        switch (rule) {
        case TQCRASH_DWARF_CFA_REG_RULE_OFFSET:
            status = readWord(cie, section, cfa + value, &result);
            break;
        case TQCRASH_DWARF_CFA_REG_RULE_VAL_OFFSET: result = cfa + value; break;
        case TQCRASH_DWARF_CFA_REG_RULE_REGISTER: status = dwarfRegisterValue(current, value, &result); break;
        case TQCRASH_DWARF_CFA_REG_RULE_SAME_VALUE: status = dwarfRegisterValue(current, reg, &result); break;
        case TQCRASH_DWARF_CFA_REG_RULE_EXPRESSION:
        case TQCRASH_DWARF_CFA_REG_RULE_VAL_EXPRESSION:
            status = evalBlock(section, cie, current, value, &cfa, 1, &result);
            if (status == TQCRASH_ESUCCESS && rule == TQCRASH_DWARF_CFA_REG_RULE_EXPRESSION) {
                status = readWord(cie, section, result, &result);
            }
            break;
        }
        if (status != TQCRASH_ESUCCESS) {
            return;
        }
        if (returnAddress) {
            thread_state_set_register(next, TQCRASH_REG_IP, result);
            ipSet = true;
        }
        if (mappable && engine != TQCRASH_REG_IP) {
            thread_state_set_register(next, engine, result);
        }
    });
    if (status != TQCRASH_ESUCCESS) {
        return status;
    }
    if (!ipSet) {
        std::uint64_t value = 0;
        if (dwarfRegisterValue(next, cie->return_address_register, &value) == TQCRASH_ESUCCESS) {
            thread_state_set_register(next, TQCRASH_REG_IP, value);
        }
    }
    return TQCRASH_ESUCCESS;
}

} // namespace tqcrash::async
