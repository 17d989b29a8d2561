// sonvale-resampler-quality: sends pure tones through the engine's resampler and prints how well it
// keeps what must stay and removes what must go, for the rate changes conversions make most:
// - alias rejection: tones between the output's Nyquist frequency and the input's, which must not
//   come back mirrored below it (22.3 kHz from 48 kHz must not turn into 21.8 kHz at 44.1 kHz);
//   the figure is the input level over the level of the mirror image, the worst tone counts;
// - passband deviation: tones from 20 Hz to 20 kHz, the largest gain away from 0 dB.
// Usage: sonvale-resampler-quality

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "platform/engine/AudioResampler.h"

using namespace sonvale::engine;

namespace {

constexpr double kSeconds = 2.0;

std::vector<double> resampledTone(double frequency, int inRate, int outRate)
{
    AudioResampler resampler;
    resampler.open(outRate, 1, 0);
    FramePtr frame(av_frame_alloc());
    frame->format = AV_SAMPLE_FMT_DBL;
    frame->sample_rate = inRate;
    av_channel_layout_default(&frame->ch_layout, 1);
    frame->nb_samples = 4096;
    av_frame_get_buffer(frame.get(), 0);
    std::vector<double> out, block;
    const auto total = int64_t(kSeconds * inRate);
    for (int64_t start = 0; start < total; start += frame->nb_samples) {
        auto* samples = reinterpret_cast<double*>(frame->data[0]);
        for (int i = 0; i < frame->nb_samples; ++i)
            samples[i] = 0.5 * std::sin(2 * std::numbers::pi * frequency * double(start + i) / inRate);
        if (!resampler.convert(frame.get(), block))
            return {};
        out.insert(out.end(), block.begin(), block.end());
    }
    if (resampler.convert(nullptr, block))
        out.insert(out.end(), block.begin(), block.end());
    return out;
}

// Amplitude of `frequency` in the middle second of `samples` (Hann window, so the ends of the
// stretch don't smear other frequencies into it).
double amplitudeAt(const std::vector<double>& samples, double frequency, int rate)
{
    const size_t length = size_t(rate);
    const size_t begin = samples.size() / 2 - length / 2;
    double re = 0, im = 0, weights = 0;
    for (size_t n = 0; n < length; ++n) {
        const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(n) / double(length - 1));
        const double phase = 2 * std::numbers::pi * frequency * double(n) / rate;
        re += samples[begin + n] * w * std::cos(phase);
        im -= samples[begin + n] * w * std::sin(phase);
        weights += w;
    }
    return 2 * std::hypot(re, im) / weights;
}

double decibels(double ratio)
{
    return 20 * std::log10(std::max(ratio, 1e-20));
}

void measure(int inRate, int outRate)
{
    std::printf("%d -> %d Hz\n", inRate, outRate);
    const double outNyquist = outRate / 2.0;
    if (inRate > outRate) {
        double worst = 1e9, worstTone = 0;
        for (double tone = outNyquist + 250; tone < inRate / 2.0; tone += 500) {
            double mirror = std::fmod(tone, outRate);
            if (mirror > outNyquist)
                mirror = outRate - mirror;
            const double rejection = decibels(0.5 / amplitudeAt(resampledTone(tone, inRate, outRate), mirror, outRate));
            if (tone == 22300 || rejection < worst)
                std::printf("  %.0f Hz mirrored to %.0f Hz: %.1f dB below the tone\n", tone, mirror, rejection);
            if (rejection < worst) {
                worst = rejection;
                worstTone = tone;
            }
        }
        std::printf("  alias rejection: %.1f dB (worst tone %.0f Hz)\n", worst, worstTone);
    }
    double deviation = 0, at = 0;
    for (double tone = 20; tone <= 20000; tone *= 1.1) {
        const double gain = decibels(amplitudeAt(resampledTone(tone, inRate, outRate), tone, outRate) / 0.5);
        if (std::fabs(gain) > std::fabs(deviation)) {
            deviation = gain;
            at = tone;
        }
    }
    const double top = decibels(amplitudeAt(resampledTone(20000, inRate, outRate), 20000, outRate) / 0.5);
    std::printf("  passband deviation 20 Hz - 20 kHz: %.4f dB (largest at %.0f Hz; %.4f dB at 20 kHz)\n", deviation,
                at, top);
}

} // namespace

int main()
{
    measure(48000, 44100);
    measure(96000, 44100);
    measure(44100, 48000);
    return 0;
}
