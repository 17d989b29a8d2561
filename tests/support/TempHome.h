#pragma once

#include <filesystem>
#include <memory>

namespace sonvale::test {

// A fresh folder under the system temp dir, removed with everything in it when destroyed.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Points HOME and the XDG folders at a temporary home for the life of the object, so a test never
// reads or writes the user's real settings. The previous environment is restored afterwards.
class TempHome final : public TempDir {
public:
    TempHome();
    ~TempHome();

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

} // namespace sonvale::test
