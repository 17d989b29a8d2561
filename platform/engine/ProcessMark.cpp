#include "platform/engine/ProcessMark.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <unistd.h>

namespace sonvale::engine {
namespace {

// The host name cut to letters, digits and '-', so that the mark is safe in any file name.
std::string hostTag()
{
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    std::string tag;
    for (const char* c = name; *c && tag.size() < 32; ++c)
        if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '-')
            tag.push_back(*c);
    return tag.empty() ? "host" : tag;
}

} // namespace

std::string ProcessMark::own()
{
    static const std::string host = hostTag();
    return host + "." + std::to_string(::getpid());
}

bool ProcessMark::isOfDeadProcess(std::string_view mark)
{
    static const std::string host = hostTag();
    const size_t dot = mark.rfind('.');
    if (dot == std::string_view::npos || mark.substr(0, dot) != host)
        return false;
    const std::string_view digits = mark.substr(dot + 1);
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0)
        return false;
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace sonvale::engine
