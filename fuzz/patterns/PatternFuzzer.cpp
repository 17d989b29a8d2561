// libFuzzer target for the tag-pattern core: patterns come from stored settings and pattern
// lists, tag values and file names from files we did not make. Beyond not crashing, it checks
// what the rest of the program relies on:
// - writing a parsed pattern and parsing it again gives the same text (stored lists stay stable);
// - the split form writes the same text as the list it came from;
// - a rendered path never leaves its destination: no leading "/", no empty, "." or ".." level,
//   no NUL, each level within its limit, and a file name is one level.
//
// Input: byte 0 chooses the pattern flags, the number limit and the fallback; the rest is the
// pattern, a NUL, then tag values (each "name=value" line) and last the file name.

#include "platform/tqkit/TQKitPathTags.h"
#include "platform/tqkit/TQKitPattern.h"
#include "platform/tqkit/TQKitPatternModifiers.h"
#include "platform/tqkit/TQKitPatternRenderer.h"
#include "platform/tqkit/TQKitTagValuesTextSource.h"
#include "platform/tqkit/TQKitTokenList.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void violated(const char* what, std::string_view detail)
{
    std::fprintf(stderr, "pattern fuzzer: %s: \"%.*s\"\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

std::string parsedAndJoined(std::string_view text, uint32_t flags)
{
    TQKitTokenList list;
    TQKitPatternParse(&list, text, flags);
    return TQKitPatternJoin(list);
}

void checkRoundTrip(std::string_view pattern, uint32_t flags)
{
    TQKitTokenList list;
    TQKitPatternParse(&list, pattern, flags);
    const std::string joined = TQKitPatternJoin(list);
    if (parsedAndJoined(joined, flags) != joined)
        violated("parse and join are not stable", pattern);
    TQKitTokenList split;
    TQKitTokenListSplit(&split, list);
    if (TQKitPatternJoin(split) != joined)
        violated("the split form writes another text", pattern);
    TQKitPatternTokenFromText(pattern, true);
    TQKitModDescription(list.modFlags());
}

void checkPath(std::string_view path, const TQKitPatternRenderOptions& options, std::string_view pattern)
{
    if (path.find('\0') != std::string_view::npos)
        violated("NUL in a rendered path", pattern);
    if (!options.folders && path.find('/') != std::string_view::npos)
        violated("a file name with several levels", pattern);
    if (!options.folders && path.empty())
        violated("an empty file name", pattern);
    size_t start = 0;
    while (!path.empty() && start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string_view level = path.substr(start, end - start);
        if (level.empty() || level == "." || level == "..")
            violated("a level that escapes or vanishes", pattern);
        if (level.size() > (options.maxNameBytes ? options.maxNameBytes : kTQKitNameMaxBytes))
            violated("a level beyond its limit", pattern);
        start = end + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t control = data[0];
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = input.find('\0');
    const std::string_view pattern = input.substr(0, split);
    const std::string_view rest = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    const uint32_t flags = (control & 1) ? kTQKitPatternFlagsFolders : kTQKitPatternFlagsFileName;
    checkRoundTrip(pattern, flags);

    TQKitTagValues tags;
    std::string_view fileName = rest;
    for (size_t newline; (newline = fileName.find('\n')) != std::string_view::npos;) {
        const std::string_view line = fileName.substr(0, newline);
        const size_t equals = line.find('=');
        if (equals != std::string_view::npos)
            tags[std::string(line.substr(0, equals))] = std::string(line.substr(equals + 1));
        fileName.remove_prefix(newline + 1);
    }

    TQKitPatternRenderOptions options;
    options.folders = control & 1;
    options.maxNameBytes = (control & 2) ? 16 : kTQKitNameMaxBytes - 5;
    if (control & 4)
        options.fallbackName = std::string(fileName);
    checkPath(TQKitPatternRenderPath(pattern, tags, options), options, pattern);

    TQKitTokenList list;
    TQKitPatternParse(&list, pattern, flags | ((control & 8) ? kTQKitPatternDisplayKeys : 0));
    const TQKitTagValuesTextSource source(tags);
    TQKitTokenListSampleText(list, source, 0);
    TQKitTokenListSampleText(list, TQKitDefaultSampleTextSource(), 0);

    const TQKitPathTagsPatterns patterns{{std::string(pattern)}, {std::string(pattern)}};
    TQKitPathTagsFill(tags, fileName, (control & 16) ? "/" : "", patterns);
    return 0;
}
