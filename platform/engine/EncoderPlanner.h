#pragma once

#include "platform/engine/EncoderPlan.h"
#include "platform/engine/OutputSettings.h"
#include "platform/engine/SourceInfo.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// Turns a format's options and the source's properties into an encoder setup. Pure: no I/O, so
// every option rule is tested on its own.
class EncoderPlanner final {
public:
    static Status plan(const OutputSettings& settings, const SourceInfo& source, EncoderPlan& plan);

    // The extension of results of these settings (depends only on the options, not the source).
    static std::string extensionFor(const OutputSettings& settings);

    // Fails when `audioBytes` of audio data are more than the plan's container can hold.
    static Status checkSize(const EncoderPlan& plan, double audioBytes);
};

} // namespace sonvale::engine
