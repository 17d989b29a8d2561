// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashEhPointerReader.h"

#include "crashcapture/TQCrashMemoryObject.h"
#include "crashcapture/TQCrashTaskMemory.h"

#include <type_traits>

namespace tqcrash::async {

void gnu_ehptr_reader_init(gnu_ehptr_reader* reader, const tqcrash_async_byteorder* order, std::uint8_t pointer_size) {
    *reader = gnu_ehptr_reader{order, pointer_size, false, false, false, 0, 0, 0};
}

void gnu_ehptr_reader_set_text_base(gnu_ehptr_reader* reader, std::uint64_t base) {
    reader->has_text_base = true;
    reader->text_base = base;
}

void gnu_ehptr_reader_set_data_base(gnu_ehptr_reader* reader, std::uint64_t base) {
    reader->has_data_base = true;
    reader->data_base = base;
}

void gnu_ehptr_reader_set_func_base(gnu_ehptr_reader* reader, std::uint64_t base) {
    reader->has_func_base = true;
    reader->func_base = base;
}

tqcrash_error_t gnu_ehptr_reader_read(const gnu_ehptr_reader* reader, const tqcrash_async_mobject* section,
                                      std::uint64_t location, std::int64_t offset, std::uint8_t encoding,
                                      std::uint64_t* out, std::size_t* size) {
    if (encoding == DW_EH_PE_omit) {
        return TQCRASH_ENOTFOUND;
    }
    std::uint64_t at = 0;
    if (!async_address_add_checked(location, offset, &at)) {
        return TQCRASH_EINVAL;
    }
    std::uint64_t base = 0;
    std::size_t padding = 0;
    switch (encoding & 0x70) {
    case DW_EH_PE_absptr: break;
    case DW_EH_PE_pcrel: base = at; break;
    case DW_EH_PE_textrel:
        if (!reader->has_text_base) return TQCRASH_ENOTSUP;
        base = reader->text_base;
        break;
    case DW_EH_PE_datarel:
        if (!reader->has_data_base) return TQCRASH_ENOTSUP;
        base = reader->data_base;
        break;
    case DW_EH_PE_funcrel:
        if (!reader->has_func_base) return TQCRASH_ENOTSUP;
        base = reader->func_base;
        break;
    case DW_EH_PE_aligned: {
        const std::uint64_t width = reader->pointer_size;
        padding = static_cast<std::size_t>((width - at % width) % width);
        at += padding;
        if ((encoding & 0x0F) != DW_EH_PE_absptr) return TQCRASH_ENOTSUP;
        break;
    }
    default: return TQCRASH_ENOTSUP;
    }

    const tqcrash_async_byteorder* order = reader->byteorder;
    std::uint64_t value = 0;
    std::size_t taken = 0;
    tqcrash_error_t status = TQCRASH_ESUCCESS;
    auto readFixed = [&](auto* raw, bool isSigned) {
        using T = std::remove_pointer_t<decltype(raw)>;
        taken = sizeof(T);
        if constexpr (sizeof(T) == 2) status = mobject_read_u16(section, order, at, 0, raw);
        else if constexpr (sizeof(T) == 4) status = mobject_read_u32(section, order, at, 0, raw);
        else status = mobject_read_u64(section, order, at, 0, raw);
        if (isSigned) {
            using S = std::make_signed_t<T>;
            value = static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<S>(*raw)));
        } else {
            value = *raw;
        }
    };
    std::uint16_t u16 = 0;
    std::uint32_t u32 = 0;
    std::uint64_t u64 = 0;
    switch (encoding & 0x0F) {
    case DW_EH_PE_absptr:
        if (reader->pointer_size == 4) readFixed(&u32, false);
        else readFixed(&u64, false);
        break;
    case DW_EH_PE_uleb128: status = mobject_read_uleb128(section, at, 0, &value, &taken); break;
    case DW_EH_PE_sleb128: {
        std::int64_t signedValue = 0;
        status = mobject_read_sleb128(section, at, 0, &signedValue, &taken);
        value = static_cast<std::uint64_t>(signedValue);
        break;
    }
    case DW_EH_PE_udata2: readFixed(&u16, false); break;
    case DW_EH_PE_udata4: readFixed(&u32, false); break;
    case DW_EH_PE_udata8: readFixed(&u64, false); break;
    case DW_EH_PE_sdata2: readFixed(&u16, true); break;
    case DW_EH_PE_sdata4: readFixed(&u32, true); break;
    case DW_EH_PE_sdata8: readFixed(&u64, true); break;
    default: return TQCRASH_ENOTSUP;
    }
    if (status != TQCRASH_ESUCCESS) {
        return status;
    }
    value += base;
    if (reader->pointer_size == 4) {
        value &= 0xFFFFFFFFu;
    }
    if ((encoding & DW_EH_PE_indirect) != 0) {
        if (reader->pointer_size == 4) {
            status = task_memory_read_u32(order, value, 0, &u32);
            value = u32;
        } else {
            status = task_memory_read_u64(order, value, 0, &value);
        }
        if (status != TQCRASH_ESUCCESS) {
            return status;
        }
    }
    *out = value;
    *size = padding + taken;
    return TQCRASH_ESUCCESS;
}

} // namespace tqcrash::async
