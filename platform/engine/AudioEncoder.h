#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/engine/EncoderPlan.h"
#include "platform/engine/GaplessInfo.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// Writes one result file from interleaved 64-bit float samples at the plan's rate and channels.
// Owned by one pipeline run; not thread-safe.
class AudioEncoder {
public:
    virtual ~AudioEncoder() = default;

    virtual Status open(const std::string& path) = 0;
    virtual Status write(const double* samples, int frames) = 0;
    // Flushes the encoder and completes the file (trailer, header fix-ups).
    virtual Status finish() = 0;
    // What the encoder had to do to the audio that the user should know of, after finish().
    virtual std::vector<std::string> notes() const { return {}; }
    // Where the source's samples lie in the coded stream, for coders that add some (AAC).
    virtual std::optional<GaplessInfo> gapless() const { return std::nullopt; }

    // The encoder that writes files of this plan.
    static std::unique_ptr<AudioEncoder> forPlan(const EncoderPlan& plan);
};

} // namespace sonvale::engine
