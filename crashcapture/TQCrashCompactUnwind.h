#pragma once

// The compact unwind information of Mach-O images ("__TEXT" "__unwind_info", the published
// format): the two-level lookup of a function's 32-bit encoding, its decoding for x86-64, x86 and
// arm64, and stepping an x86-64 frame with it. Everything here is safe in a signal handler.

#include "crashcapture/TQCrashError.h"
#include "crashcapture/TQCrashFrameCursor.h"

#include <cstdint>

namespace tqcrash::async {

struct macho_image;
struct tqcrash_async_byteorder;
struct tqcrash_async_mobject;

enum class compact_unwind_mode : std::uint8_t {
    none,               // no unwind information: the end of the stack
    frame,              // frame-pointer based (arm64: frame-based)
    frameless_immediate, // stack size in the encoding
    frameless_indirect, // stack size in the function's code
    dwarf,              // described by the FDE at `dwarf_offset`
};

struct compact_unwind_entry {
    std::uint32_t encoding;
    std::uint32_t function_offset; // from the image's header
    compact_unwind_mode mode;
    std::uint32_t stack_size;        // bytes (frameless immediate), or the offset of the 32-bit size in the function's code
    std::uint32_t stack_adjust;      // bytes added to an indirect size
    std::uint32_t frame_offset;      // frame-based: saved registers start this many bytes below the frame pointer
    std::uint32_t register_count;
    std::uint8_t registers[10];      // x86: 1 rbx/ebx ... in the format's numbering; arm64: x19..x28 in pairs
    std::uint32_t dwarf_offset;
};

// The encoding of the function holding `target` (an offset from the image's header) from the
// section: TQCRASH_EINVAL for a header version other than 1 or a lookup outside the section,
// TQCRASH_ENOTFOUND when no entry covers it.
tqcrash_error_t compact_unwind_lookup(const tqcrash_async_mobject* section, const tqcrash_async_byteorder* order,
                                      std::uint32_t target, std::uint32_t* encoding, std::uint32_t* function_offset);

// Decodes an encoding for a CPU type (x86 7, x86-64 0x1000007, arm64 0x100000C); TQCRASH_EINVAL for
// another CPU, TQCRASH_EINVALID_DATA for an encoding that can't be (a bad register permutation).
tqcrash_error_t compact_unwind_decode(std::int32_t cpu_type, std::uint32_t encoding, compact_unwind_entry* entry);

// The caller's registers of an x86-64 frame: `function_start` is where the function's code lies
// (for an indirect stack size). A frame status: 2 for mode none, 4 for DWARF mode, 3 when a needed
// register has no value or the stack can't be read.
frame_status compact_unwind_apply(const compact_unwind_entry* entry, std::uint64_t function_start,
                                  const tqcrash_async_thread_state* current, tqcrash_async_thread_state* next);

// Steps an x86-64 frame whose pc lies in `image` by its compact unwind entry: 4 when the image
// has no entry for it (or says to use DWARF), so a walk can go on with the next reader.
frame_status compact_unwind_frame_read_image(const macho_image* image, const tqcrash_async_thread_state* current,
                                             tqcrash_async_thread_state* next);

} // namespace tqcrash::async
