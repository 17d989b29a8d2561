// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashDwarfFrameReader.h"

#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashDwarfCfi.h"
#include "crashcapture/TQCrashEhPointerReader.h"
#include "crashcapture/TQCrashImageList.h"
#include "crashcapture/TQCrashMemoryObject.h"

namespace tqcrash::async {

namespace {

// The sections of one image, unmapped when it goes out of scope.
struct mapped_frames {
    tqcrash_async_mobject frames;
    tqcrash_async_mobject index;
    bool hasFrames = false;
    bool hasIndex = false;

    ~mapped_frames() {
        if (hasIndex) mobject_unmap(&index);
        if (hasFrames) mobject_unmap(&frames);
    }
};

frame_status stepThrough(const dwarf_section* section, std::uint64_t pc, const tqcrash_async_thread_state* current,
                         tqcrash_async_thread_state* next) {
    dwarf_fde_info fde;
    dwarf_cie_info cie;
    const tqcrash_error_t found = dwarf_find_fde(section, pc, &fde, &cie);
    if (found != TQCRASH_ESUCCESS) {
        return static_cast<frame_status>(found);
    }
    dwarf_cfa_state rules;
    if (dwarf_cfa_eval_program(section, &cie, nullptr, fde.pc_start, pc, cie.initial_instructions,
                               cie.initial_instructions_length, &rules) != TQCRASH_ESUCCESS) {
        return FRAME_ENOTSUP;
    }
    const dwarf_cfa_state cieRules = rules;
    if (dwarf_cfa_eval_program(section, &cie, &cieRules, fde.pc_start, pc, fde.instructions, fde.instructions_length,
                               &rules) != TQCRASH_ESUCCESS) {
        return FRAME_ENOTSUP;
    }
    return dwarf_cfa_state_apply(section, &cie, &rules, current, next) == TQCRASH_ESUCCESS ? FRAME_ESUCCESS
                                                                                           : FRAME_ENOFRAME;
}

} // namespace

frame_status dwarf_frame_read(const image_list* images, const tqcrash_async_thread_state* current,
                              const tqcrash_async_thread_state*, tqcrash_async_thread_state* next) {
    std::uint64_t pc = 0;
    if (const frame_status status = frame_lookup_pc(current, &pc); status != FRAME_ESUCCESS) {
        return status;
    }
    const image_node* node = image_list_find_containing(images, pc);
    if (node == nullptr) {
        return FRAME_ENOTSUP;
    }
    mapped_frames sections;
    sections.hasFrames = elf_image_map_section(&node->value, ".eh_frame", &sections.frames) == TQCRASH_ESUCCESS;
    if (!sections.hasFrames) {
        return FRAME_ENOFRAME;
    }
    sections.hasIndex = elf_image_map_section(&node->value, ".eh_frame_hdr", &sections.index) == TQCRASH_ESUCCESS;
    gnu_ehptr_reader pointers;
    gnu_ehptr_reader_init(&pointers, tqcrash_async_byteorder_direct(), 8);
    const dwarf_section section{&sections.frames, sections.hasIndex ? &sections.index : nullptr, false,
                                tqcrash_async_byteorder_direct(), &pointers};
    return stepThrough(&section, pc, current, next);
}

} // namespace tqcrash::async
