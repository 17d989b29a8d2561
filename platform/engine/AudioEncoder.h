#pragma once

#include <memory>
#include <string>

#include "platform/engine/EncoderPlan.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// Writes one result file from interleaved float samples at the plan's rate and channel count.
// Owned by one pipeline run; not thread-safe.
class AudioEncoder {
public:
    virtual ~AudioEncoder() = default;

    virtual Status open(const std::string& path) = 0;
    virtual Status write(const float* samples, int frames) = 0;
    // Flushes the encoder and completes the file (trailer, header fix-ups).
    virtual Status finish() = 0;

    // The encoder that writes files of this plan.
    static std::unique_ptr<AudioEncoder> forPlan(const EncoderPlan& plan);
};

} // namespace sonvale::engine
