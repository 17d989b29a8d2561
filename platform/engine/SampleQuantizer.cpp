#include "platform/engine/SampleQuantizer.h"

#include <cmath>

namespace sonvale::engine {

SampleQuantizer::SampleQuantizer(int bits)
    : scale_(std::ldexp(1.0, bits - 1)), lowest_(-scale_), highest_(scale_ - 1)
{
}

double SampleQuantizer::nextUniform()
{
    // xorshift64*: fast, and far more random than dither needs.
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return double((state_ * 0x2545f4914f6cdd1du) >> 11) * 0x1p-53;
}

void SampleQuantizer::quantize(double* samples, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        double step = samples[i] * scale_;
        if (step != std::nearbyint(step))
            step = std::nearbyint(step + nextUniform() - nextUniform());
        if (step > highest_ || step < lowest_) {
            // Dither alone may touch full scale; only a source beyond it counts as clipped.
            if (std::fabs(samples[i]) > 1.0)
                ++clipped_;
            step = step > highest_ ? highest_ : lowest_;
        }
        samples[i] = step / scale_;
    }
}

} // namespace sonvale::engine
