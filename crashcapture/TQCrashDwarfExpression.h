#pragma once

#include "crashcapture/TQCrashError.h"

#include <cstddef>
#include <cstdint>

namespace tqcrash::async {

struct tqcrash_async_byteorder;
struct tqcrash_async_mobject;
struct tqcrash_async_thread_state;

// Evaluates the DWARF expression of `length` bytes at task address `address + offset` inside
// `section`, on a stack of 100 values that starts with `initial` (pushed in order); `*result` gets
// the top value. Registers are read from `state`, memory through checked task reads of
// `address_size` (4 or 8) bytes.
//
// TQCRASH_EINTERNAL past 100 values, TQCRASH_EINVAL on popping an empty stack, a branch leaving the
// expression or a division by zero, TQCRASH_ENOTSUP for an operation it does not evaluate (DW_OP_addr,
// reg*, regx, fbreg, piece, ...) or an unmappable register, TQCRASH_ENOTFOUND for a register without
// a value, the read status when memory cannot be read. Safe in a signal handler.
tqcrash_error_t tqcrash_async_dwarf_expression_eval(const tqcrash_async_mobject* section,
                                                    const tqcrash_async_byteorder* order, std::uint8_t address_size,
                                                    const tqcrash_async_thread_state* state, std::uint64_t address,
                                                    std::int64_t offset, std::uint64_t length,
                                                    const std::uint64_t* initial, std::size_t initial_count,
                                                    std::uint64_t* result);

} // namespace tqcrash::async
