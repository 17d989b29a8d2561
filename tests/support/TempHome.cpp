#include "tests/support/TempHome.h"

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace sonvale::test {
namespace {

constexpr const char* kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"};

} // namespace

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "sonvale-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

struct TempHome::Saved {
    std::vector<std::pair<const char*, std::optional<std::string>>> values;
};

TempHome::TempHome() : saved_(std::make_unique<Saved>())
{
    for (const char* name : kVariables) {
        const char* value = std::getenv(name);
        saved_->values.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    ::setenv("HOME", path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (path() / ".config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (path() / ".local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (path() / ".cache").c_str(), 1);
}

TempHome::~TempHome()
{
    for (const auto& [name, value] : saved_->values) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
}

} // namespace sonvale::test
