#include "platform/tqkit/TQKitPatternModifiers.h"

#include "platform/tqkit/TQKitUtf8.h"

namespace {

struct Modifier {
    uint32_t flag;
    bool isCase;
    const char* directive; // between the braces
    const char* description;
};

// Priority order within each group, spacing before case.
constexpr Modifier kModifiers[] = {
    {kTQKitModUnderscores, false, "spacing:underscores", "Underscores"},
    {kTQKitModSpaces, false, "spacing:spaces", "Spaces"},
    {kTQKitModNoSpaces, false, "spacing:none", "No spaces"},
    {kTQKitModLowerCase, true, "case:lower", "lower case"},
    {kTQKitModUpperCase, true, "case:upper", "UPPER CASE"},
    {kTQKitModTitleCase, true, "case:title", "Title Case"},
    {kTQKitModSentenceCase, true, "case:sentence", "Sentence case"},
    {kTQKitModCapitalizeWords, true, "case:words", "Capitalize Words"},
};

// The modifier of the group that applies, or null.
const Modifier* effective(uint32_t modFlags, bool isCase)
{
    for (const Modifier& modifier : kModifiers) {
        if (modifier.isCase == isCase && (modFlags & modifier.flag))
            return &modifier;
    }
    return nullptr;
}

bool isWordCharacter(std::string_view character)
{
    if (character.size() > 1)
        return true; // letters beyond ASCII, whatever their script
    const unsigned char c = static_cast<unsigned char>(character[0]);
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '\'';
}

std::string applySpacing(std::string_view text, uint32_t flag)
{
    std::string out;
    for (const char c : text) {
        if (flag == kTQKitModUnderscores && c == ' ')
            out += '_';
        else if (flag == kTQKitModSpaces && c == '_')
            out += ' ';
        else if (!(flag == kTQKitModNoSpaces && c == ' '))
            out += c;
    }
    return out;
}

std::string applyCase(std::string_view text, uint32_t flag)
{
    if (flag == kTQKitModLowerCase)
        return TQKitTextToLower(text);
    if (flag == kTQKitModUpperCase)
        return TQKitTextToUpper(text);
    std::string out;
    bool wordStart = true;
    bool firstLetterSeen = false;
    for (const std::string_view character : TQKitUtf8Characters(text)) {
        const bool word = isWordCharacter(character);
        bool upper = false;
        bool lower = false;
        if (flag == kTQKitModSentenceCase) {
            upper = word && !firstLetterSeen;
            lower = !upper;
        } else {
            upper = word && wordStart;
            lower = !upper && flag == kTQKitModTitleCase;
        }
        out += upper ? TQKitTextToUpper(character) : lower ? TQKitTextToLower(character)
                                                           : std::string(character);
        firstLetterSeen = firstLetterSeen || word;
        wordStart = !word;
    }
    return out;
}

} // namespace

std::string TQKitModApply(std::string_view text, uint32_t modFlags)
{
    std::string out(text);
    if (const Modifier* spacing = effective(modFlags, false))
        out = applySpacing(out, spacing->flag);
    if (const Modifier* letterCase = effective(modFlags, true))
        out = applyCase(out, letterCase->flag);
    return out;
}

std::string TQKitModDirectives(uint32_t modFlags)
{
    std::string out;
    for (const Modifier& modifier : kModifiers) {
        if (modFlags & modifier.flag)
            out += std::string("{{") + modifier.directive + "}}";
    }
    return out;
}

uint32_t TQKitModDirectiveFlag(std::string_view inner)
{
    for (const Modifier& modifier : kModifiers) {
        if (TQKitTextEqualIgnoringCase(inner, modifier.directive))
            return modifier.flag;
    }
    return 0;
}

std::string TQKitModDescription(uint32_t modFlags)
{
    std::string out;
    for (const bool isCase : {false, true}) {
        if (const Modifier* modifier = effective(modFlags, isCase))
            out += (out.empty() ? "" : ", ") + std::string(modifier->description);
    }
    return out;
}
