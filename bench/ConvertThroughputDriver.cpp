// sonvale-convert-bench: converts the given files with the engine on all cores, each item in a
// conversion service as the application does (or, given "in-process" in place of the service, on
// the engine's own threads), and prints "files <n> seconds <s>". A format with "+normalize"
// (mp3-vbr+normalize) adds EBU R128 loudness normalization to -18 LUFS.
// Usage: sonvale-convert-bench <service|in-process> <mp3-vbr|aac-256|alac|flac>[+normalize] <destination> <file>...

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/engine/ServiceItemRunner.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConverter.h"
#include "tests/platform/engine/ListWatcher.h"

using namespace sonvale::engine;

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <service|in-process> <mp3-vbr|aac-256|alac|flac>[+normalize] <destination> <file>...\n", argv[0]);
        return 2;
    }
    std::string format = argv[2];
    const std::string normalizeSuffix = "+normalize";
    const bool normalize = format.ends_with(normalizeSuffix);
    if (normalize)
        format.resize(format.size() - normalizeSuffix.size());
    BatchSettings settings;
    settings.destinationFolder = argv[3];
    settings.overwritePolicy = 0;
    if (format == "mp3-vbr")
        settings.output = {OutputFormat::Mp3, Mp3Options{.cbr = false, .vbrMinBitRate = 32, .vbrMaxBitRate = 320, .vbrQuality = 2}};
    else if (format == "aac-256")
        settings.output = {OutputFormat::M4a, M4aOptions{.codec = 37, .bitRate = 256, .bitRateMode = 1}};
    else if (format == "alac") // medium: compression level 1
        settings.output = {OutputFormat::M4a, M4aOptions{.codec = 43, .quality = 2}};
    else if (format == "flac") // medium: compression level 5
        settings.output = {OutputFormat::Flac, FlacOptions{.compressionLevel = 2}};
    else {
        std::fprintf(stderr, "unknown format %s\n", format.c_str());
        return 2;
    }
    if (normalize)
        settings.effects = {.normalization = sonvale::effects::NormalizationMethod::Loudness, .loudnessTargetLufs = -18};
    const std::vector<std::string> files(argv + 4, argv + argc);

    TQKitConverterOptions options;
    if (std::string(argv[1]) == "in-process")
        options.runner = std::make_shared<InProcessItemRunner>();
    else
        options.runner = std::make_shared<ServiceItemRunner>(argv[1]);
    TQKitConverter* converter = nullptr;
    TQKitConverterCreateWithOptions(&converter, options);
    TQKitConversionList* list = nullptr;
    TQKitConversionListCreate(&list);
    TQKitConversionListSetBatchSettings(list, settings);
    bool finished = false;
    {
        sonvale::test::ListWatcher watcher(list);
        const auto start = std::chrono::steady_clock::now();
        TQKitConversionListAddSources(list, files, 0, 0);
        TQKitConversionStart(converter, list);
        finished = watcher.waitFinished(std::chrono::seconds(3600));
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("files %zu seconds %.3f\n", TQKitConversionListSucceededCount(list), seconds);
    }
    TQKitConverterDestroy(&converter);
    const bool allConverted = TQKitConversionListSucceededCount(list) == files.size();
    TQKitConversionListRelease(list);
    return finished && allConverted ? 0 : 1;
}
