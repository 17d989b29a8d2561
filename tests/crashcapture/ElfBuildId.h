#pragma once

#include <filesystem>
#include <string>

namespace tqcrash::test {

// The GNU build-id of an ELF file on disk as lower-case hexadecimal, read from its note sections;
// empty when it has none.
std::string elfBuildId(const std::filesystem::path& file);

} // namespace tqcrash::test
