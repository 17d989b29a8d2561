#include "platform/engine/ResultCommitter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <stdio.h>

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

// rename() that fails with EEXIST instead of replacing.
int renameNoReplace(const fs::path& from, const fs::path& to)
{
    return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
}

// "<stem> (n).<ext>", or with a label "<stem> (backup).<ext>", "<stem> (backup 2).<ext>", ...
fs::path numbered(const fs::path& wanted, const std::string& label, int n)
{
    const std::string mark = label.empty() ? std::to_string(n) : n == 1 ? label : label + " " + std::to_string(n);
    return wanted.parent_path() / (wanted.stem().string() + " (" + mark + ")" + wanted.extension().string());
}

} // namespace

bool ResultCommitter::wouldSkip(const fs::path& wanted, int policy)
{
    std::error_code ec;
    return policy == 1 && fs::exists(wanted, ec);
}

Status ResultCommitter::renameToFreeName(const fs::path& from, const fs::path& wanted, const std::string& label,
                                         fs::path& written)
{
    for (int n = 1; n < 10000; ++n) {
        const fs::path candidate = numbered(wanted, label, n);
        if (renameNoReplace(from, candidate) == 0) {
            written = candidate;
            return Status::success();
        }
        if (errno != EEXIST)
            return Status::failure(std::string("cannot move the result into place (") + std::strerror(errno) + ")");
    }
    return Status::failure("no free name for the result");
}

Status ResultCommitter::commit(const fs::path& temporary, const fs::path& wanted, const fs::path& source, int policy,
                               bool backup, fs::path& written, Outcome& outcome)
{
    outcome = Outcome::Written;
    std::error_code ec;
    const bool isSource = sameFile(wanted, source);
    if (policy == 1 && fs::exists(wanted, ec)) {
        fs::remove(temporary, ec);
        outcome = Outcome::SkippedExisting;
        return Status::success();
    }
    if (policy == 0 && !isSource) {
        if (backup && fs::exists(wanted, ec)) {
            fs::path kept;
            if (Status s = renameToFreeName(wanted, wanted, "backup", kept); !s)
                return s;
        }
        if (std::rename(temporary.c_str(), wanted.c_str()) != 0)
            return Status::failure(std::string("cannot move the result into place (") + std::strerror(errno) + ")");
        written = wanted;
        return Status::success();
    }
    if (renameNoReplace(temporary, wanted) == 0) {
        written = wanted;
        return Status::success();
    }
    if (errno != EEXIST)
        return Status::failure(std::string("cannot move the result into place (") + std::strerror(errno) + ")");
    return renameToFreeName(temporary, wanted, {}, written);
}

} // namespace sonvale::engine
