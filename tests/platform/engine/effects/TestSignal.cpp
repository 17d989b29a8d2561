#include "tests/platform/engine/effects/TestSignal.h"

#include "platform/engine/effects/EffectsProcessor.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace sonvale::effects::test {

namespace {

constexpr int kChannels = kFormat.channels;

std::int64_t frameAt(double seconds, std::int64_t frames)
{
    if (std::isinf(seconds))
        return frames;
    return std::clamp<std::int64_t>(std::llround(seconds * kRate), 0, frames);
}

double dbfs(double amplitude)
{
    return 20.0 * std::log10(amplitude);
}

void forEachChunk(const Signal& source, std::int64_t chunkFrames,
                  const std::function<void(const double*, std::int64_t)>& take)
{
    for (std::int64_t at = 0; at < source.frames(); at += chunkFrames)
        take(source.samples.data() + at * kChannels, std::min(chunkFrames, source.frames() - at));
}

} // namespace

std::int64_t Signal::frames() const
{
    return static_cast<std::int64_t>(samples.size()) / kChannels;
}

double Signal::seconds() const
{
    return static_cast<double>(frames()) / kRate;
}

void Signal::click(double atSeconds, double peakDbfs)
{
    const auto first = samples.begin() + frameAt(atSeconds, frames()) * kChannels;
    std::fill_n(first, kChannels, std::pow(10.0, peakDbfs / 20.0));
}

double Signal::peak(double fromSeconds, double toSeconds) const
{
    double result = 0.0;
    for (std::int64_t i = frameAt(fromSeconds, frames()) * kChannels; i < frameAt(toSeconds, frames()) * kChannels; ++i)
        result = std::max(result, std::fabs(samples[static_cast<std::size_t>(i)]));
    return result;
}

double Signal::peakDbfs(double fromSeconds, double toSeconds) const
{
    return dbfs(peak(fromSeconds, toSeconds));
}

double Signal::rmsDbfs(double fromSeconds, double toSeconds) const
{
    double sum = 0.0;
    const std::int64_t from = frameAt(fromSeconds, frames()) * kChannels;
    const std::int64_t to = frameAt(toSeconds, frames()) * kChannels;
    for (std::int64_t i = from; i < to; ++i)
        sum += samples[static_cast<std::size_t>(i)] * samples[static_cast<std::size_t>(i)];
    return 10.0 * std::log10(sum / static_cast<double>(to - from));
}

double Signal::integratedLufs() const
{
    ebur128_state* state = ebur128_init(kChannels, kRate, EBUR128_MODE_I);
    ebur128_add_frames_double(state, samples.data(), static_cast<std::size_t>(frames()));
    double lufs = 0.0;
    EXPECT_EQ(ebur128_loudness_global(state, &lufs), EBUR128_SUCCESS);
    ebur128_destroy(&state);
    return lufs;
}

double Signal::envelopeAt(double seconds, double steadyDbfs) const
{
    return peak(seconds - 0.0025, seconds + 0.0025) / std::pow(10.0, steadyDbfs / 20.0);
}

Signal tone(double seconds, double peakDbfs, double hz)
{
    const auto frames = std::llround(seconds * kRate);
    const double amplitude = std::pow(10.0, peakDbfs / 20.0);
    Signal signal;
    signal.samples.reserve(static_cast<std::size_t>(frames * kChannels));
    for (std::int64_t frame = 0; frame < frames; ++frame) {
        const double sample = amplitude * std::sin(2.0 * std::numbers::pi * hz * frame / kRate);
        signal.samples.insert(signal.samples.end(), kChannels, sample);
    }
    return signal;
}

Signal concat(std::initializer_list<Signal> parts)
{
    Signal joined;
    for (const Signal& part : parts)
        joined.samples.insert(joined.samples.end(), part.samples.begin(), part.samples.end());
    return joined;
}

Signal render(const EffectsSettings& settings, const Signal& source, std::int64_t chunkFrames)
{
    Status status = Status::success();
    auto processor = EffectsProcessor::create(settings, kFormat, std::nullopt, status);
    if (!processor) {
        ADD_FAILURE() << status.message();
        return {};
    }
    if (processor->needsAnalysis()) {
        forEachChunk(source, chunkFrames, [&](const double* frames, std::int64_t count) {
            EXPECT_TRUE(processor->analyze(frames, count));
        });
        EXPECT_TRUE(processor->finishAnalysis());
    }
    return renderWith(*processor, source, chunkFrames);
}

Signal renderWith(EffectsProcessor& processor, const Signal& source, std::int64_t chunkFrames)
{
    Signal rendered;
    std::vector<double> out;
    forEachChunk(source, chunkFrames, [&](const double* frames, std::int64_t count) {
        EXPECT_TRUE(processor.process(frames, count, out));
        rendered.samples.insert(rendered.samples.end(), out.begin(), out.end());
    });
    EXPECT_TRUE(processor.flush(out));
    rendered.samples.insert(rendered.samples.end(), out.begin(), out.end());
    return rendered;
}

} // namespace sonvale::effects::test
