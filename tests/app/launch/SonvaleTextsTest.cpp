// The texts built into `sonvale` speak of Linux things: no other platform's file browser, home
// folders or command key reach a user.

#include "tests/support/QtTestSupport.h"

#include <gtest/gtest.h>

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The constant data of an ELF64 executable, where the string literals live.
std::string readOnlyData(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Elf64_Ehdr header;
    if (image.size() < sizeof header)
        return {};
    std::memcpy(&header, image.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64)
        return {};
    const auto section = [&](size_t index) {
        Elf64_Shdr entry;
        std::memcpy(&entry, image.data() + header.e_shoff + index * header.e_shentsize, sizeof entry);
        return entry;
    };
    const Elf64_Shdr names = section(header.e_shstrndx);
    std::string data;
    for (size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr entry = section(i);
        const char* name = image.data() + names.sh_offset + entry.sh_name;
        if (std::strcmp(name, ".rodata") == 0 && entry.sh_type == SHT_PROGBITS)
            data.append(image, entry.sh_offset, entry.sh_size);
    }
    return data;
}

std::string utf16(const std::string& ascii)
{
    std::string wide;
    for (const char c : ascii) {
        wide.push_back(c);
        wide.push_back('\0');
    }
    return wide;
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A path prefix that is a whole string of its own, such as the macOS home folder that the crash
// log's path privacy rule looks for in reported paths: no one reads it.
bool isBarePathLiteral(const std::string& data, size_t at, const std::string& word)
{
    return word.front() == '/' && at > 0 && data[at - 1] == '\0' && at + word.size() < data.size() &&
           data[at + word.size()] == '\0';
}

// Places where `word` starts a word (a name in the code, such as showInFinder, is not a text).
std::vector<std::string> wordsInText(const std::string& data, const std::string& word, size_t unit)
{
    std::vector<std::string> found;
    for (size_t at = data.find(word); at != std::string::npos; at = data.find(word, at + 1)) {
        if ((at >= unit && isLetter(data[at - unit])) || (unit == 1 && isBarePathLiteral(data, at, word)))
            continue;
        const size_t from = at >= 40 * unit ? at - 40 * unit : 0;
        std::string context;
        for (size_t i = from; i < std::min(data.size(), at + 60 * unit); i += unit)
            context.push_back(data[i] >= ' ' && data[i] < 127 ? data[i] : ' ');
        found.push_back(context);
    }
    return found;
}

TEST(SonvaleTextsTest, NoTextNamesAnotherPlatformsFileBrowserHomeFoldersOrCommandKey)
{
    const std::string data = readOnlyData(sonvale::test::buildDir() / "bin/sonvale");
    ASSERT_GT(data.size(), 10'000u) << "the application's constant data";
    ASSERT_NE(data.find(utf16("Show in File Manager")), std::string::npos) << "texts are found where they are";
    for (const std::string word : {"Finder", "/Users/", "Command-"}) {
        for (const auto& [encoded, unit] : {std::pair{word, size_t(1)}, std::pair{utf16(word), size_t(2)}})
            for (const std::string& context : wordsInText(data, encoded, unit))
                ADD_FAILURE() << word << " in: " << context;
    }
}

} // namespace
