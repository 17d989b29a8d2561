#include "platform/engine/effects/PeakLimiter.h"

#include <algorithm>
#include <cmath>

namespace sonvale::effects {

namespace {

constexpr double kLookaheadSeconds = 0.005;
constexpr double kReleaseSeconds = 0.05;

} // namespace

PeakLimiter::PeakLimiter(const FloatAudioFormat& format, double ceiling)
    : channels_(format.channels),
      lookahead_(std::max<std::int64_t>(1, std::llround(kLookaheadSeconds * format.sampleRate))),
      ceiling_(ceiling),
      release_(1.0 - std::exp(-1.0 / (kReleaseSeconds * format.sampleRate))),
      delayed_(static_cast<std::size_t>(lookahead_ * channels_), 0.0),
      frameGain_(static_cast<std::size_t>(lookahead_), 1.0),
      recentMinima_(static_cast<std::size_t>(lookahead_), 1.0),
      minimaSum_(static_cast<double>(lookahead_))
{
}

void PeakLimiter::process(const double* frames, std::int64_t frameCount, std::vector<double>& out)
{
    streamFrames_ += frameCount;
    for (std::int64_t frame = 0; frame < frameCount; ++frame)
        take(frames + frame * channels_, out);
}

void PeakLimiter::flush(std::vector<double>& out)
{
    const std::vector<double> silence(static_cast<std::size_t>(channels_), 0.0);
    for (std::int64_t frame = 1; frame < lookahead_; ++frame)
        take(silence.data(), out);
}

void PeakLimiter::take(const double* frame, std::vector<double>& out)
{
    const std::int64_t index = taken_++;
    const auto slot = static_cast<std::size_t>(index % lookahead_);
    double peak = 0.0;
    for (int channel = 0; channel < channels_; ++channel) {
        delayed_[slot * channels_ + channel] = frame[channel];
        peak = std::max(peak, std::fabs(frame[channel]));
    }
    const double needed = peak > ceiling_ ? ceiling_ / peak : 1.0;
    frameGain_[slot] = needed;

    // The frame leaving now is the oldest of the window that ends with this one.
    const std::int64_t leaving = index - lookahead_ + 1;
    while (!windowMinimum_.empty() && windowMinimum_.back().second >= needed)
        windowMinimum_.pop_back();
    windowMinimum_.emplace_back(index, needed);
    while (windowMinimum_.front().first < leaving)
        windowMinimum_.pop_front();

    // Each of the averaged minima covers the leaving frame, so the average never exceeds its need.
    const double minimum = windowMinimum_.front().second;
    double& oldest = recentMinima_[slot];
    minimaSum_ += minimum - oldest;
    oldest = minimum;
    const double target = minimaSum_ / static_cast<double>(lookahead_);
    gain_ = target < gain_ ? target : gain_ + (target - gain_) * release_;

    if (leaving < 0 || leaving >= streamFrames_)
        return;
    const auto leavingSlot = static_cast<std::size_t>(leaving % lookahead_);
    // The minimum guards against the rounding of the running sum.
    const double gain = std::min(gain_, frameGain_[leavingSlot]);
    for (int channel = 0; channel < channels_; ++channel)
        out.push_back(delayed_[leavingSlot * channels_ + channel] * gain);
}

} // namespace sonvale::effects
