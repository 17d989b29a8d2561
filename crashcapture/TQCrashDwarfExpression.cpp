// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashDwarfExpression.h"

#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashMemoryObject.h"
#include "crashcapture/TQCrashTaskMemory.h"
#include "crashcapture/TQCrashThreadState.h"

namespace tqcrash::async {

namespace {

enum : std::uint8_t {
    DW_OP_addr = 0x03, DW_OP_deref = 0x06, DW_OP_const1u = 0x08, DW_OP_const1s = 0x09, DW_OP_const2u = 0x0a,
    DW_OP_const2s = 0x0b, DW_OP_const4u = 0x0c, DW_OP_const4s = 0x0d, DW_OP_const8u = 0x0e, DW_OP_const8s = 0x0f,
    DW_OP_constu = 0x10, DW_OP_consts = 0x11, DW_OP_dup = 0x12, DW_OP_drop = 0x13, DW_OP_over = 0x14,
    DW_OP_pick = 0x15, DW_OP_swap = 0x16, DW_OP_rot = 0x17, DW_OP_xderef = 0x18, DW_OP_abs = 0x19,
    DW_OP_and = 0x1a, DW_OP_div = 0x1b, DW_OP_minus = 0x1c, DW_OP_mod = 0x1d, DW_OP_mul = 0x1e,
    DW_OP_neg = 0x1f, DW_OP_not = 0x20, DW_OP_or = 0x21, DW_OP_plus = 0x22, DW_OP_plus_uconst = 0x23,
    DW_OP_shl = 0x24, DW_OP_shr = 0x25, DW_OP_shra = 0x26, DW_OP_xor = 0x27, DW_OP_bra = 0x28, DW_OP_eq = 0x29,
    DW_OP_ge = 0x2a, DW_OP_gt = 0x2b, DW_OP_le = 0x2c, DW_OP_lt = 0x2d, DW_OP_ne = 0x2e, DW_OP_skip = 0x2f,
    DW_OP_lit0 = 0x30, DW_OP_lit31 = 0x4f, DW_OP_breg0 = 0x70, DW_OP_breg31 = 0x8f, DW_OP_bregx = 0x92,
    DW_OP_deref_size = 0x94, DW_OP_xderef_size = 0x95, DW_OP_nop = 0x96,
};

class value_stack final {
public:
    static constexpr int kCapacity = 100;

    tqcrash_error_t push(std::uint64_t value) {
        if (count_ == kCapacity) {
            return TQCRASH_EINTERNAL;
        }
        values_[count_++] = value;
        return TQCRASH_ESUCCESS;
    }
    tqcrash_error_t pop(std::uint64_t* value) {
        if (count_ == 0) {
            return TQCRASH_EINVAL;
        }
        *value = values_[--count_];
        return TQCRASH_ESUCCESS;
    }
    // The value `depth` places below the top (0: the top).
    tqcrash_error_t peek(int depth, std::uint64_t* value) const {
        if (depth < 0 || depth >= count_) {
            return TQCRASH_EINVAL;
        }
        *value = values_[count_ - 1 - depth];
        return TQCRASH_ESUCCESS;
    }

private:
    std::uint64_t values_[kCapacity];
    int count_ = 0;
};

// Reads `size` (1, 2, 4 or 8) bytes of task memory as an unsigned value.
tqcrash_error_t readSized(const tqcrash_async_byteorder* order, std::uint64_t address, std::uint64_t size,
                          std::uint64_t* out) {
    switch (size) {
    case 1: {
        std::uint8_t byte = 0;
        TQCRASH_TRY(task_memory_read(address, 0, &byte, 1));
        *out = byte;
        return TQCRASH_ESUCCESS;
    }
    case 2: {
        std::uint16_t half = 0;
        TQCRASH_TRY(task_memory_read(address, 0, &half, 2));
        *out = order->swap16(half);
        return TQCRASH_ESUCCESS;
    }
    case 4: {
        std::uint32_t word = 0;
        TQCRASH_TRY(task_memory_read_u32(order, address, 0, &word));
        *out = word;
        return TQCRASH_ESUCCESS;
    }
    case 8: return task_memory_read_u64(order, address, 0, out);
    default: return TQCRASH_EINVAL;
    }
}

tqcrash_error_t registerValue(const tqcrash_async_thread_state* state, std::uint64_t dwarfRegister, std::uint64_t* out) {
    int reg = -1;
    if (dwarfRegister > 0xFFFF || !thread_state_map_dwarf_register(state, static_cast<std::uint32_t>(dwarfRegister), &reg)) {
        return TQCRASH_ENOTSUP;
    }
    if (!thread_state_has_register(state, reg)) {
        return TQCRASH_ENOTFOUND;
    }
    *out = thread_state_get_register(state, reg);
    return TQCRASH_ESUCCESS;
}

} // namespace

tqcrash_error_t tqcrash_async_dwarf_expression_eval(const tqcrash_async_mobject* section,
                                                    const tqcrash_async_byteorder* order, std::uint8_t address_size,
                                                    const tqcrash_async_thread_state* state, std::uint64_t address,
                                                    std::int64_t offset, std::uint64_t length,
                                                    const std::uint64_t* initial, std::size_t initial_count,
                                                    std::uint64_t* result) {
    value_stack stack;
    for (std::size_t i = 0; i < initial_count; ++i) {
        TQCRASH_TRY(stack.push(initial[i]));
    }
    std::uint64_t start = 0;
    if (!async_address_add_checked(address, offset, &start) || mobject_local_pointer(section, start, 0, length) == nullptr) {
        return TQCRASH_EINVAL;
    }
    const std::uint64_t end = start + length;
    std::uint64_t at = start;

    // Operand readers: each advances `at`, refusing to read past the expression.
    auto fixed = [&](std::uint64_t size, bool isSigned, std::uint64_t* out) -> tqcrash_error_t {
        if (at + size > end) return TQCRASH_EINVAL;
        std::uint64_t raw = 0;
        std::uint8_t b = 0;
        std::uint16_t h = 0;
        std::uint32_t w = 0;
        switch (size) {
        case 1: TQCRASH_TRY(mobject_read_byte(section, at, 0, &b)); raw = isSigned ? static_cast<std::uint64_t>(static_cast<std::int8_t>(b)) : b; break;
        case 2: TQCRASH_TRY(mobject_read_u16(section, order, at, 0, &h)); raw = isSigned ? static_cast<std::uint64_t>(static_cast<std::int16_t>(h)) : h; break;
        case 4: TQCRASH_TRY(mobject_read_u32(section, order, at, 0, &w)); raw = isSigned ? static_cast<std::uint64_t>(static_cast<std::int32_t>(w)) : w; break;
        default: TQCRASH_TRY(mobject_read_u64(section, order, at, 0, &raw)); break;
        }
        at += size;
        *out = raw;
        return TQCRASH_ESUCCESS;
    };
    auto uleb = [&](std::uint64_t* out) -> tqcrash_error_t {
        std::size_t size = 0;
        TQCRASH_TRY(mobject_read_uleb128(section, at, 0, out, &size));
        if (at + size > end) return TQCRASH_EINVAL;
        at += size;
        return TQCRASH_ESUCCESS;
    };
    auto sleb = [&](std::int64_t* out) -> tqcrash_error_t {
        std::size_t size = 0;
        TQCRASH_TRY(mobject_read_sleb128(section, at, 0, out, &size));
        if (at + size > end) return TQCRASH_EINVAL;
        at += size;
        return TQCRASH_ESUCCESS;
    };
    auto binary = [&](auto operation) -> tqcrash_error_t {
        std::uint64_t right = 0, left = 0;
        TQCRASH_TRY(stack.pop(&right));
        TQCRASH_TRY(stack.pop(&left));
        std::uint64_t value = 0;
        TQCRASH_TRY(operation(left, right, &value));
        return stack.push(value);
    };
    auto compare = [&](auto predicate) {
        return binary([&](std::uint64_t l, std::uint64_t r, std::uint64_t* v) {
            *v = predicate(static_cast<std::int64_t>(l), static_cast<std::int64_t>(r)) ? 1 : 0;
            return TQCRASH_ESUCCESS;
        });
    };
    auto jump = [&](std::int64_t distance) -> tqcrash_error_t {
        std::uint64_t target = 0;
        if (!async_address_add_checked(at, distance, &target) || target < start || target > end) {
            return TQCRASH_EINVAL;
        }
        at = target;
        return TQCRASH_ESUCCESS;
    };

    // Branches may go backwards, so a hostile table can loop: a crash report must not wait on it.
    constexpr std::size_t kMostOperations = 10000;
    for (std::size_t operations = 0; at < end; ++operations) {
        if (operations == kMostOperations) return TQCRASH_EINVAL;
        std::uint8_t op = 0;
        TQCRASH_TRY(mobject_read_byte(section, at, 0, &op));
        ++at;
        std::uint64_t a = 0, b = 0, c = 0;
        std::int64_t s = 0;
        if (op >= DW_OP_lit0 && op <= DW_OP_lit31) {
            TQCRASH_TRY(stack.push(op - DW_OP_lit0));
            continue;
        }
        if ((op >= DW_OP_breg0 && op <= DW_OP_breg31) || op == DW_OP_bregx) {
            std::uint64_t reg = op - DW_OP_breg0;
            if (op == DW_OP_bregx) TQCRASH_TRY(uleb(&reg));
            TQCRASH_TRY(sleb(&s));
            TQCRASH_TRY(registerValue(state, reg, &a));
            TQCRASH_TRY(stack.push(a + static_cast<std::uint64_t>(s)));
            continue;
        }
        switch (op) {
        case DW_OP_const1u: TQCRASH_TRY(fixed(1, false, &a)); TQCRASH_TRY(stack.push(a)); break;
        case DW_OP_const1s: TQCRASH_TRY(fixed(1, true, &a)); TQCRASH_TRY(stack.push(a)); break;
        case DW_OP_const2u: TQCRASH_TRY(fixed(2, false, &a)); TQCRASH_TRY(stack.push(a)); break;
        case DW_OP_const2s: TQCRASH_TRY(fixed(2, true, &a)); TQCRASH_TRY(stack.push(a)); break;
        case DW_OP_const4u: TQCRASH_TRY(fixed(4, false, &a)); TQCRASH_TRY(stack.push(a)); break;
        case DW_OP_const4s: TQCRASH_TRY(fixed(4, true, &a)); TQCRASH_TRY(stack.push(a)); break;
        case DW_OP_const8u:
        case DW_OP_const8s: TQCRASH_TRY(fixed(8, false, &a)); TQCRASH_TRY(stack.push(a)); break;
        case DW_OP_constu: TQCRASH_TRY(uleb(&a)); TQCRASH_TRY(stack.push(a)); break;
        case DW_OP_consts: TQCRASH_TRY(sleb(&s)); TQCRASH_TRY(stack.push(static_cast<std::uint64_t>(s))); break;
        case DW_OP_dup: TQCRASH_TRY(stack.peek(0, &a)); TQCRASH_TRY(stack.push(a)); break;
        case DW_OP_drop: TQCRASH_TRY(stack.pop(&a)); break;
        case DW_OP_over: TQCRASH_TRY(stack.peek(1, &a)); TQCRASH_TRY(stack.push(a)); break;
        case DW_OP_pick: TQCRASH_TRY(fixed(1, false, &b)); TQCRASH_TRY(stack.peek(static_cast<int>(b), &a)); TQCRASH_TRY(stack.push(a)); break;
        case DW_OP_swap: TQCRASH_TRY(stack.pop(&a)); TQCRASH_TRY(stack.pop(&b)); TQCRASH_TRY(stack.push(a)); TQCRASH_TRY(stack.push(b)); break;
        case DW_OP_rot: // the top entry becomes the third, the second the top
            TQCRASH_TRY(stack.pop(&a)); TQCRASH_TRY(stack.pop(&b)); TQCRASH_TRY(stack.pop(&c));
            TQCRASH_TRY(stack.push(a)); TQCRASH_TRY(stack.push(c)); TQCRASH_TRY(stack.push(b));
            break;
        case DW_OP_deref: TQCRASH_TRY(stack.pop(&a)); TQCRASH_TRY(readSized(order, a, address_size, &b)); TQCRASH_TRY(stack.push(b)); break;
        case DW_OP_xderef: TQCRASH_TRY(stack.pop(&a)); TQCRASH_TRY(stack.pop(&c)); TQCRASH_TRY(readSized(order, a, address_size, &b)); TQCRASH_TRY(stack.push(b)); break;
        case DW_OP_deref_size:
            TQCRASH_TRY(fixed(1, false, &c)); TQCRASH_TRY(stack.pop(&a)); TQCRASH_TRY(readSized(order, a, c, &b)); TQCRASH_TRY(stack.push(b));
            break;
        case DW_OP_xderef_size:
            TQCRASH_TRY(fixed(1, false, &c)); TQCRASH_TRY(stack.pop(&a)); TQCRASH_TRY(stack.pop(&b)); TQCRASH_TRY(readSized(order, a, c, &b)); TQCRASH_TRY(stack.push(b));
            break;
        case DW_OP_abs:
            TQCRASH_TRY(stack.pop(&a));
            TQCRASH_TRY(stack.push(static_cast<std::int64_t>(a) < 0 ? 0 - a : a));
            break;
        case DW_OP_neg: TQCRASH_TRY(stack.pop(&a)); TQCRASH_TRY(stack.push(0 - a)); break;
        case DW_OP_not: TQCRASH_TRY(stack.pop(&a)); TQCRASH_TRY(stack.push(~a)); break;
        case DW_OP_plus_uconst: TQCRASH_TRY(uleb(&b)); TQCRASH_TRY(stack.pop(&a)); TQCRASH_TRY(stack.push(a + b)); break;
        case DW_OP_and: TQCRASH_TRY(binary([](std::uint64_t l, std::uint64_t r, std::uint64_t* v) { *v = l & r; return TQCRASH_ESUCCESS; })); break;
        case DW_OP_or: TQCRASH_TRY(binary([](std::uint64_t l, std::uint64_t r, std::uint64_t* v) { *v = l | r; return TQCRASH_ESUCCESS; })); break;
        case DW_OP_xor: TQCRASH_TRY(binary([](std::uint64_t l, std::uint64_t r, std::uint64_t* v) { *v = l ^ r; return TQCRASH_ESUCCESS; })); break;
        case DW_OP_plus: TQCRASH_TRY(binary([](std::uint64_t l, std::uint64_t r, std::uint64_t* v) { *v = l + r; return TQCRASH_ESUCCESS; })); break;
        case DW_OP_minus: TQCRASH_TRY(binary([](std::uint64_t l, std::uint64_t r, std::uint64_t* v) { *v = l - r; return TQCRASH_ESUCCESS; })); break;
        case DW_OP_mul: TQCRASH_TRY(binary([](std::uint64_t l, std::uint64_t r, std::uint64_t* v) { *v = l * r; return TQCRASH_ESUCCESS; })); break;
        case DW_OP_div:
            TQCRASH_TRY(binary([](std::uint64_t l, std::uint64_t r, std::uint64_t* v) {
                const auto sl = static_cast<std::int64_t>(l), sr = static_cast<std::int64_t>(r);
                if (sr == 0 || (sl == INT64_MIN && sr == -1)) return TQCRASH_EINVAL;
                *v = static_cast<std::uint64_t>(sl / sr);
                return TQCRASH_ESUCCESS;
            }));
            break;
        case DW_OP_mod:
            TQCRASH_TRY(binary([](std::uint64_t l, std::uint64_t r, std::uint64_t* v) {
                if (r == 0) return TQCRASH_EINVAL;
                *v = l % r;
                return TQCRASH_ESUCCESS;
            }));
            break;
        case DW_OP_shl: TQCRASH_TRY(binary([](std::uint64_t l, std::uint64_t r, std::uint64_t* v) { *v = r < 64 ? l << r : 0; return TQCRASH_ESUCCESS; })); break;
        case DW_OP_shr: TQCRASH_TRY(binary([](std::uint64_t l, std::uint64_t r, std::uint64_t* v) { *v = r < 64 ? l >> r : 0; return TQCRASH_ESUCCESS; })); break;
        case DW_OP_shra:
            TQCRASH_TRY(binary([](std::uint64_t l, std::uint64_t r, std::uint64_t* v) {
                const auto sl = static_cast<std::int64_t>(l);
                *v = static_cast<std::uint64_t>(r < 64 ? sl >> r : (sl < 0 ? -1 : 0));
                return TQCRASH_ESUCCESS;
            }));
            break;
        case DW_OP_eq: TQCRASH_TRY(compare([](std::int64_t l, std::int64_t r) { return l == r; })); break;
        case DW_OP_ge: TQCRASH_TRY(compare([](std::int64_t l, std::int64_t r) { return l >= r; })); break;
        case DW_OP_gt: TQCRASH_TRY(compare([](std::int64_t l, std::int64_t r) { return l > r; })); break;
        case DW_OP_le: TQCRASH_TRY(compare([](std::int64_t l, std::int64_t r) { return l <= r; })); break;
        case DW_OP_lt: TQCRASH_TRY(compare([](std::int64_t l, std::int64_t r) { return l < r; })); break;
        case DW_OP_ne: TQCRASH_TRY(compare([](std::int64_t l, std::int64_t r) { return l != r; })); break;
        case DW_OP_skip: TQCRASH_TRY(fixed(2, true, &a)); TQCRASH_TRY(jump(static_cast<std::int64_t>(a))); break;
        case DW_OP_bra:
            TQCRASH_TRY(fixed(2, true, &a));
            TQCRASH_TRY(stack.pop(&b));
            if (b != 0) TQCRASH_TRY(jump(static_cast<std::int64_t>(a)));
            break;
        case DW_OP_nop: break;
        default: return TQCRASH_ENOTSUP;
        }
    }
    return stack.pop(result);
}

} // namespace tqcrash::async
