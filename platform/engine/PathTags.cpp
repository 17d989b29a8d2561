#include "platform/engine/PathTags.h"

#include <filesystem>
#include <regex>

namespace sonvale::engine {
namespace {

void setIfMissing(TagSet& tags, const char* name, const std::string& value)
{
    if (!value.empty() && tags.value(name).empty())
        tags.fields.emplace_back(name, value);
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" _.-");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" _.-") - first + 1);
}

} // namespace

void PathTags::fillMissing(TagSet& tags, const std::string& sourcePath)
{
    const std::filesystem::path path(sourcePath);
    std::string rest = path.stem().string();
    // A leading track number: "03 Title", "3. Title", "03 - Title", "03_Title".
    static const std::regex numbered(R"(^\s*(\d{1,3})(?:\s*[-._]\s*|\s+)(.+)$)");
    std::smatch match;
    if (std::regex_match(rest, match, numbered)) {
        setIfMissing(tags, "TRACKNUMBER", std::to_string(std::stoi(match[1].str())));
        rest = match[2].str();
    }
    const auto separator = rest.find(" - ");
    if (separator != std::string::npos) {
        setIfMissing(tags, "ARTIST", trimmed(rest.substr(0, separator)));
        rest = rest.substr(separator + 3);
    }
    setIfMissing(tags, "TITLE", trimmed(rest));
    const std::string folder = path.parent_path().filename().string();
    if (!folder.empty() && folder != "/")
        setIfMissing(tags, "ALBUM", trimmed(folder));
}

} // namespace sonvale::engine
