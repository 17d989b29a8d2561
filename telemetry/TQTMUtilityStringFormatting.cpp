#include "telemetry/TQTMUtility.h"

#include "telemetry/TQTMLogger.h"

#include <openssl/evp.h>
#include <regex>

namespace {

constexpr std::string_view kTargetKey = "target=";
constexpr std::string_view kAppSecretKey = "appsecret=";
constexpr std::string_view kPlatformSecretKey = "macos=";

std::vector<std::string_view> splitAtSemicolons(std::string_view text)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(';', start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

std::string removingEvery(std::string_view text, std::string_view part)
{
    std::string out;
    size_t start = 0;
    for (size_t found; (found = text.find(part, start)) != std::string_view::npos;
         start = found + part.size())
        out.append(text.substr(start, found - start));
    out.append(text.substr(start));
    return out;
}

} // namespace

std::optional<std::string> TQTMUtility::appSecretFrom(std::string_view secretText)
{
    // A platform-keyed secret wins: once "macos=" appears anywhere, only such parts count.
    const bool platformKeyed = contains(secretText, kPlatformSecretKey);
    for (std::string_view part : splitAtSemicolons(secretText)) {
        if (part.empty() || contains(part, kTargetKey))
            continue;
        if (platformKeyed && !contains(part, kPlatformSecretKey))
            continue;
        std::string candidate =
            removingEvery(part, platformKeyed ? kPlatformSecretKey : kAppSecretKey);
        if (!candidate.empty())
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::string> TQTMUtility::transmissionTargetTokenFrom(std::string_view secretText)
{
    for (std::string_view part : splitAtSemicolons(secretText)) {
        if (!contains(part, kTargetKey))
            continue;
        std::string token = removingEvery(part, kTargetKey);
        if (!token.empty())
            return token;
    }
    return std::nullopt;
}

std::optional<std::string> TQTMUtility::targetKeyFromTargetToken(std::string_view token)
{
    const std::string_view key = token.substr(0, token.find('-'));
    if (key.empty())
        return std::nullopt;
    return std::string(key);
}

std::optional<std::string> TQTMUtility::iKeyFromTargetToken(std::string_view token)
{
    const std::optional<std::string> key = targetKeyFromTargetToken(token);
    if (!key)
        return std::nullopt;
    return "o:" + *key;
}

std::string TQTMUtility::prettyPrintJson(std::string_view json)
{
    const TQTMJson parsed = TQTMJson::parse(json, nullptr, false);
    if (parsed.is_discarded())
        return std::string(json);
    return jsonText(parsed, true);
}

std::optional<std::string> TQTMUtility::sha256(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    for (const char c : text)
        if (static_cast<unsigned char>(c) > 0x7f)
            return std::nullopt;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        return std::nullopt;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0x0f];
    }
    return hex;
}

std::optional<std::string> TQTMUtility::obfuscateStringSearchingForPatternToReplaceWithTemplate(
    const std::string& text, const std::string& pattern, const std::string& replacement)
{
    try {
        const std::regex expression(pattern, std::regex::ECMAScript | std::regex::icase);
        return std::regex_replace(text, expression, replacement);
    } catch (const std::regex_error& error) {
        TQTMLogError(kTQTMCoreLogTag, "Couldn't create regular expression with pattern\"" +
                                          pattern + "\": " + error.what());
        return std::nullopt;
    }
}
