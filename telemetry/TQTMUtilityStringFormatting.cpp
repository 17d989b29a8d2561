#include "telemetry/TQTMUtility.h"

#include "telemetry/TQTMLogger.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>

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

std::string TQTMUtility::obfuscateJsonStringMembersNamed(std::string_view text,
                                                         std::string_view name)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    const auto sameLetters = [](std::string_view a, std::string_view b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) ==
                   std::tolower(static_cast<unsigned char>(y));
        });
    };
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;
    for (size_t at = text.find('"'); at != std::string_view::npos; at = text.find('"', at + 1)) {
        const size_t nameEnd = at + 1 + name.size();
        if (nameEnd >= text.size() || text[nameEnd] != '"' ||
            !sameLetters(text.substr(at + 1, name.size()), name))
            continue;
        size_t cursor = nameEnd + 1;
        while (cursor < text.size() && isBlank(text[cursor]))
            ++cursor;
        if (cursor >= text.size() || text[cursor] != ':')
            continue;
        ++cursor;
        while (cursor < text.size() && isBlank(text[cursor]))
            ++cursor;
        if (cursor >= text.size() || text[cursor] != '"')
            continue;
        const size_t valueEnd = text.find('"', cursor + 1);
        if (valueEnd == std::string_view::npos)
            break; // no later member can have a closed value either
        if (valueEnd == cursor + 1)
            continue; // an empty value stays
        out.append(text.substr(copied, at - copied));
        out.append("\"").append(name).append("\" : \"***\"");
        copied = valueEnd + 1;
        at = valueEnd;
    }
    out.append(text.substr(copied));
    return out;
}

std::string TQTMUtility::obfuscateAfterEveryColon(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;
    for (size_t colon = text.find(':'); colon != std::string_view::npos;) {
        out.append(text.substr(copied, colon - copied)).append(":***");
        copied = std::min(text.find('"', colon + 1), text.size());
        colon = text.find(':', copied);
    }
    out.append(text.substr(copied));
    return out;
}
