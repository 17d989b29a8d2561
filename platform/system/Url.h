#pragma once

#include <optional>
#include <string>

namespace sonvale {

// An absolute http or https URL split into its parts (as written, percent-encoding kept). Other
// schemes, relative and malformed texts are refused.
struct Url {
    std::string scheme;
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::string host;
    std::optional<std::string> port;
    std::string path;
    std::optional<std::string> query;

    static std::optional<Url> parse(const std::string& text);
    std::string text() const;
};

} // namespace sonvale
