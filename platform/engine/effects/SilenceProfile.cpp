#include "platform/engine/effects/SilenceProfile.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace sonvale::effects {

namespace {

// The bit pattern of a positive float grows with its value, so its top bits (exponent and six
// mantissa bits) number bands of 1/64 octave. Bands start at 2^-24 (about -144 dBFS: everything
// quieter is silence) and the last one also takes everything from 2^8 up.
constexpr int kBandShift = 17;
constexpr float kQuietest = 0x1p-24f;
constexpr std::uint32_t kFirstBandBits = std::bit_cast<std::uint32_t>(kQuietest) >> kBandShift;
constexpr int kNoFrame = -1;

} // namespace

SilenceProfile::SilenceProfile()
{
    first_.fill(kNoFrame);
    last_.fill(kNoFrame);
}

int SilenceProfile::bandOf(float peak)
{
    if (!(peak >= kQuietest)) // also NaN
        return -1;
    const auto band = static_cast<int>((std::bit_cast<std::uint32_t>(peak) >> kBandShift) - kFirstBandBits);
    return std::min(band, static_cast<int>(std::tuple_size_v<decltype(first_)>) - 1);
}

void SilenceProfile::addFrame(std::int64_t frame, float peak)
{
    const int band = bandOf(peak);
    if (band < 0)
        return;
    if (first_[band] == kNoFrame)
        first_[band] = frame;
    last_[band] = frame;
}

std::optional<SilenceProfile::FrameRange> SilenceProfile::audibleRange(double thresholdLinear) const
{
    // Bands above the one holding the threshold lie wholly above it.
    const float threshold = static_cast<float>(thresholdLinear);
    const std::size_t lowest = threshold < kQuietest ? 0 : static_cast<std::size_t>(bandOf(threshold) + 1);
    std::optional<FrameRange> range;
    for (std::size_t band = lowest; band < first_.size(); ++band) {
        if (first_[band] == kNoFrame)
            continue;
        if (!range)
            range = FrameRange{first_[band], last_[band]};
        range->first = std::min(range->first, first_[band]);
        range->last = std::max(range->last, last_[band]);
    }
    return range;
}

} // namespace sonvale::effects
