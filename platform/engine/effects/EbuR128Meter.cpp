#include "platform/engine/effects/EbuR128Meter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

namespace sonvale::effects {

struct EbuR128Meter::State {
    explicit State(ebur128_state* state) : meter(state) {}
    ~State() { ebur128_destroy(&meter); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    ebur128_state* meter;
};

namespace {

std::optional<double> audibleLoudness(int error, double lufs)
{
    if (error != EBUR128_SUCCESS || !std::isfinite(lufs))
        return std::nullopt;
    return lufs;
}

} // namespace

std::unique_ptr<EbuR128Meter> EbuR128Meter::create(const FloatAudioFormat& format, unsigned measures)
{
    int mode = EBUR128_MODE_M;
    if (measures & IntegratedLoudness)
        mode |= EBUR128_MODE_I | EBUR128_MODE_HISTOGRAM;
    if (measures & TruePeak)
        mode |= EBUR128_MODE_TRUE_PEAK;
    ebur128_state* state = ebur128_init(static_cast<unsigned>(format.channels),
                                        static_cast<unsigned long>(format.sampleRate), mode);
    if (!state)
        return nullptr;
    return std::unique_ptr<EbuR128Meter>(new EbuR128Meter(std::make_unique<State>(state), format.channels));
}

EbuR128Meter::EbuR128Meter(std::unique_ptr<State> state, int channels)
    : state_(std::move(state)), channels_(channels)
{
}

EbuR128Meter::~EbuR128Meter() = default;

void EbuR128Meter::add(const double* frames, std::int64_t frameCount)
{
    if (frameCount > 0)
        ebur128_add_frames_double(state_->meter, frames, static_cast<size_t>(frameCount));
}

std::optional<double> EbuR128Meter::integratedLoudness() const
{
    double lufs = 0.0;
    const int error = ebur128_loudness_global(state_->meter, &lufs);
    return audibleLoudness(error, lufs);
}

std::optional<double> EbuR128Meter::windowLoudness(unsigned windowMs) const
{
    double lufs = 0.0;
    const int error = ebur128_loudness_window(state_->meter, std::max(windowMs, 1u), &lufs);
    return audibleLoudness(error, lufs);
}

double EbuR128Meter::truePeak() const
{
    double peak = 0.0;
    for (int channel = 0; channel < channels_; ++channel) {
        double channelPeak = 0.0;
        if (ebur128_true_peak(state_->meter, static_cast<unsigned>(channel), &channelPeak) == EBUR128_SUCCESS)
            peak = std::max(peak, channelPeak);
    }
    return peak;
}

} // namespace sonvale::effects
