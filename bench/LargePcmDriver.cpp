// sonvale-large-pcm: converts one source to one WAV or AIFF result, as a conversion service does,
// and prints what came of it: "status ok" or "status failed: <why>", the seconds it took, the
// result's size and the length its own header states.
// Usage: sonvale-large-pcm <wav|aiff> <source> <result>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/engine/DecodedStream.h"
#include "platform/engine/ItemConverter.h"

using namespace sonvale::engine;

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <wav|aiff> <source> <result>\n", argv[0]);
        return 2;
    }
    const bool aiff = std::string(argv[1]) == "aiff";
    ItemJob job;
    job.sourcePath = argv[2];
    job.outputPath = argv[3];
    job.settings = {aiff ? OutputFormat::Aiff : OutputFormat::Wav, PcmOptions{}};
    const auto start = std::chrono::steady_clock::now();
    const ItemOutcome outcome = ItemConverter::run(job, nullptr, nullptr);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("status %s%s\nseconds %.1f\n", outcome.status ? "ok" : "failed: ", outcome.status.message().c_str(),
                seconds);
    std::error_code ec;
    if (!outcome.status || !std::filesystem::exists(job.outputPath, ec))
        return 0;
    DecodedStream result(nullptr);
    if (result.open(job.outputPath, std::nullopt))
        std::printf("bytes %llu\nstated length %.1f s, %d channels, %d Hz\n",
                    (unsigned long long)std::filesystem::file_size(job.outputPath), result.info().durationSeconds,
                    result.info().channels, result.info().sampleRate);
    return 0;
}
