#include "platform/system/HostInfo.h"

#include "platform/system/AtomicFile.h"

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <sys/utsname.h>

namespace sonvale::hostinfo {
namespace {

std::string trimmed(std::string text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::optional<std::string> environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::string(value);
}

bool isPlainCLocale(const std::string& name)
{
    return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

std::string firstLocaleOf(std::initializer_list<const char*> variables)
{
    for (const char* variable : variables)
        if (auto value = environmentValue(variable))
            return isPlainCLocale(*value) ? std::string() : *value;
    return {};
}

} // namespace

OperatingSystemDescription operatingSystemDescription()
{
    utsname names{};
    const std::string release = ::uname(&names) == 0 ? names.release : "unknown";
    std::optional<std::string> version = osReleaseValue("VERSION_ID");
    if (!version || version->empty())
        version = release;
    return {"Linux", *version, release};
}

std::optional<std::string> osReleaseValue(const std::string& name)
{
    std::optional<std::string> text = readWholeFile("/etc/os-release");
    if (!text)
        text = readWholeFile("/usr/lib/os-release");
    if (!text)
        return std::nullopt;
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(name + "=", 0) != 0)
            continue;
        std::string value = trimmed(line.substr(name.size() + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return std::nullopt;
}

std::optional<std::string> dmiValue(const std::string& name)
{
    std::optional<std::string> text = readWholeFile("/sys/class/dmi/id/" + name);
    if (!text)
        return std::nullopt;
    std::string value = trimmed(*text);
    if (value.empty())
        return std::nullopt;
    return value;
}

std::vector<std::string> preferredLanguages()
{
    std::vector<std::string> languages;
    if (auto list = environmentValue("LANGUAGE")) {
        std::istringstream entries(*list);
        std::string entry;
        while (std::getline(entries, entry, ':'))
            if (!entry.empty() && !isPlainCLocale(entry))
                languages.push_back(entry);
    }
    if (std::string messages = firstLocaleOf({"LC_ALL", "LC_MESSAGES", "LANG"}); !messages.empty())
        languages.push_back(messages);
    return languages;
}

std::string currentLocaleName()
{
    return firstLocaleOf({"LC_ALL", "LC_CTYPE", "LANG"});
}

int utcOffsetMinutes(TimePoint at)
{
    ::tzset();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    if (!::localtime_r(&seconds, &local))
        return 0;
    return static_cast<int>(local.tm_gmtoff / 60);
}

} // namespace sonvale::hostinfo
