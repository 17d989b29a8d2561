#pragma once

// Decodes the pointers of call-frame sections (DW_EH_PE encodings): a value format (absolute
// pointer, LEB128, 2-, 4- or 8-byte, signed or unsigned) applied absolutely or relative to the
// pointer's own location, the text, the data or the function start, or aligned; optionally indirect
// through task memory. Safe in a signal handler.

#include "crashcapture/TQCrashError.h"

#include <cstddef>
#include <cstdint>

namespace tqcrash::async {

struct tqcrash_async_byteorder;
struct tqcrash_async_mobject;

enum : std::uint8_t {
    DW_EH_PE_absptr = 0x00, DW_EH_PE_uleb128 = 0x01, DW_EH_PE_udata2 = 0x02, DW_EH_PE_udata4 = 0x03,
    DW_EH_PE_udata8 = 0x04, DW_EH_PE_sleb128 = 0x09, DW_EH_PE_sdata2 = 0x0A, DW_EH_PE_sdata4 = 0x0B,
    DW_EH_PE_sdata8 = 0x0C,
    DW_EH_PE_pcrel = 0x10, DW_EH_PE_textrel = 0x20, DW_EH_PE_datarel = 0x30, DW_EH_PE_funcrel = 0x40,
    DW_EH_PE_aligned = 0x50,
    DW_EH_PE_indirect = 0x80, DW_EH_PE_omit = 0xFF,
};


struct gnu_ehptr_reader {
    const tqcrash_async_byteorder* byteorder;
    std::uint8_t pointer_size; // 4 or 8
    bool has_text_base, has_data_base, has_func_base;
    std::uint64_t text_base, data_base, func_base;
};

void gnu_ehptr_reader_init(gnu_ehptr_reader* reader, const tqcrash_async_byteorder* order, std::uint8_t pointer_size);
void gnu_ehptr_reader_set_text_base(gnu_ehptr_reader* reader, std::uint64_t base);
void gnu_ehptr_reader_set_data_base(gnu_ehptr_reader* reader, std::uint64_t base);
void gnu_ehptr_reader_set_func_base(gnu_ehptr_reader* reader, std::uint64_t base);

// Reads the pointer at task address `location + offset` inside `section`. `*size` gets the bytes
// it took. TQCRASH_ENOTFOUND for the omit encoding, TQCRASH_ENOTSUP for an unknown encoding or a
// missing base, TQCRASH_EINVAL when it lies outside the section, a read status when the indirect
// read fails.
tqcrash_error_t gnu_ehptr_reader_read(const gnu_ehptr_reader* reader, const tqcrash_async_mobject* section,
                                      std::uint64_t location, std::int64_t offset, std::uint8_t encoding,
                                      std::uint64_t* out, std::size_t* size);

} // namespace tqcrash::async
