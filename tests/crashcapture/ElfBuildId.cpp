#include "ElfBuildId.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace tqcrash::test {

std::string elfBuildId(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < sizeof(Elf64_Ehdr)) {
        return {};
    }
    Elf64_Ehdr header;
    std::memcpy(&header, bytes.data(), sizeof header);
    for (int i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section;
        std::memcpy(&section, bytes.data() + header.e_shoff + i * sizeof section, sizeof section);
        if (section.sh_type != SHT_NOTE) {
            continue;
        }
        for (std::size_t at = section.sh_offset; at + sizeof(Elf64_Nhdr) <= section.sh_offset + section.sh_size;) {
            Elf64_Nhdr note;
            std::memcpy(&note, bytes.data() + at, sizeof note);
            const std::size_t name = at + sizeof note;
            const std::size_t desc = name + ((note.n_namesz + 3) & ~3u);
            if (note.n_type == NT_GNU_BUILD_ID && std::strcmp(bytes.data() + name, "GNU") == 0) {
                std::string hex;
                for (std::size_t b = 0; b < note.n_descsz; ++b) {
                    static constexpr char kDigits[] = "0123456789abcdef";
                    const auto byte = static_cast<unsigned char>(bytes[desc + b]);
                    hex += kDigits[byte >> 4];
                    hex += kDigits[byte & 0x0F];
                }
                return hex;
            }
            at = desc + ((note.n_descsz + 3) & ~3u);
        }
    }
    return {};
}

} // namespace tqcrash::test
