#include "platform/engine/AudioEncoder.h"

#include "platform/engine/FfmpegEncoder.h"
#include "platform/engine/LameEncoder.h"

namespace sonvale::engine {

std::unique_ptr<AudioEncoder> AudioEncoder::forPlan(const EncoderPlan& plan)
{
    if (plan.kind == EncoderPlan::Kind::Lame)
        return std::make_unique<LameEncoder>(plan);
    return std::make_unique<FfmpegEncoder>(plan);
}

} // namespace sonvale::engine
