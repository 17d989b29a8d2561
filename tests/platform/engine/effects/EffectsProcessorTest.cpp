#include "platform/engine/effects/EffectsProcessor.h"

#include "tests/platform/engine/effects/TestSignal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

using namespace sonvale;
using namespace sonvale::effects;
using namespace sonvale::effects::test;

namespace {

EffectsSettings peakNormalization(double percent)
{
    EffectsSettings settings;
    settings.normalization = NormalizationMethod::Peak;
    settings.peakTargetPercent = percent;
    return settings;
}

EffectsSettings loudnessNormalization(double lufs)
{
    EffectsSettings settings;
    settings.normalization = NormalizationMethod::Loudness;
    settings.loudnessTargetLufs = lufs;
    return settings;
}

EffectsSettings withAutomaticVolumeControl(EffectsSettings settings)
{
    settings.automaticVolumeControl = true;
    return settings;
}

EffectsSettings durationLimit(std::int32_t ms, std::int32_t fadeOutMs = 0)
{
    EffectsSettings settings;
    settings.durationLimitMs = ms;
    settings.fadeOutMs = fadeOutMs;
    return settings;
}

EffectsSettings fades(std::int32_t inMs, std::int32_t outMs)
{
    EffectsSettings settings;
    settings.fadeInMs = inMs;
    settings.fadeOutMs = outMs;
    return settings;
}

EffectsSettings trimming(double thresholdDbfs, EffectsSettings settings = {})
{
    settings.trimSilence = true;
    settings.silenceThresholdDbfs = thresholdDbfs;
    return settings;
}

struct MeasuredCase {
    std::string name;
    EffectsSettings settings;
    std::function<Signal()> source;
    std::function<void(const Signal& out)> expect;
};

// A tone at -30 dBFS with a one-sample click at -1 dBFS every two seconds: the loudness is the
// tone's, and the gain to -18 LUFS would take the clicks some 12 dB over full scale.
Signal toneWithClicks()
{
    Signal signal = tone(8.0, -30.0);
    for (double at = 0.5; at < 8.0; at += 2.0)
        signal.click(at, -1.0);
    return signal;
}

// Loud, then soft speech (0.7 s syllables between pauses of digital silence), then loud again.
Signal loudSoftSpeechLoud()
{
    Signal signal = tone(4.0, -6.0);
    for (int syllable = 0; syllable < 8; ++syllable)
        signal = concat({signal, tone(0.7, -30.0), tone(0.3, -INFINITY)});
    return concat({signal, tone(4.0, -6.0)});
}

// Quiet signal whose only music lies under a -40 dBFS threshold until it is normalized.
Signal quietMusicInNoise()
{
    return concat({tone(1.0, -90.0), tone(2.0, -45.0), tone(1.0, -90.0)});
}

const MeasuredCase kMeasuredCases[] = {
    {"PeakTo100PercentReachesFullScale", peakNormalization(100.0), [] { return tone(3.0, -12.0); },
     [](const Signal& out) {
         EXPECT_NEAR(out.peakDbfs(), 0.0, 0.1);
         EXPECT_NEAR(out.seconds(), 3.0, 1e-9);
     }},
    {"PeakToMinus1DbfsStopsThere", peakNormalization(89.12509381337455),
     [] { return concat({tone(1.0, -30.0), tone(1.0, -20.0)}); },
     [](const Signal& out) {
         EXPECT_NEAR(out.peakDbfs(), -1.0, 0.1);
         // A static gain keeps the 10 dB step between the two halves.
         EXPECT_NEAR(out.peakDbfs(1.0, 2.0) - out.peakDbfs(0.0, 1.0), 10.0, 0.1);
     }},
    {"LoudnessToMinus18LufsFromAQuietTone", loudnessNormalization(-18.0), [] { return tone(5.0, -35.0); },
     [](const Signal& out) {
         EXPECT_NEAR(out.integratedLufs(), -18.0, 0.5);
         EXPECT_LE(out.peak(), 1.0);
     }},
    {"LoudnessToMinus18LufsLimitsPeaksInsteadOfClipping", loudnessNormalization(-18.0), toneWithClicks,
     [](const Signal& out) {
         EXPECT_NEAR(out.integratedLufs(), -18.0, 0.5);
         EXPECT_LE(out.peak(), 1.0);
         EXPECT_NEAR(out.seconds(), 8.0, 1e-9);
     }},
    {"DurationLimitOf2000MsGives2Seconds", durationLimit(2000), [] { return tone(5.0, -6.0); },
     [](const Signal& out) {
         EXPECT_EQ(out.frames(), 2 * kRate);
         EXPECT_NEAR(out.peakDbfs(), -6.0, 0.01);
     }},
    {"FadeOutLandsAtTheDurationLimit", durationLimit(2000, 500), [] { return tone(5.0, -6.0); },
     [](const Signal& out) {
         EXPECT_EQ(out.frames(), 2 * kRate);
         EXPECT_NEAR(out.envelopeAt(1.4, -6.0), 1.0, 0.02);
         EXPECT_NEAR(out.envelopeAt(1.75, -6.0), 0.5, 0.02);
         EXPECT_NEAR(out.envelopeAt(1.995, -6.0), 0.0, 0.02);
     }},
    {"FadesOf500MsRampAsSet", fades(500, 500), [] { return tone(3.0, -6.0); },
     [](const Signal& out) {
         EXPECT_NEAR(out.seconds(), 3.0, 1e-9);
         EXPECT_NEAR(out.envelopeAt(0.005, -6.0), 0.0, 0.02);
         EXPECT_NEAR(out.envelopeAt(0.125, -6.0), 0.25, 0.02);
         EXPECT_NEAR(out.envelopeAt(0.25, -6.0), 0.5, 0.02);
         EXPECT_NEAR(out.envelopeAt(0.375, -6.0), 0.75, 0.02);
         EXPECT_NEAR(out.envelopeAt(1.5, -6.0), 1.0, 0.01);
         EXPECT_NEAR(out.envelopeAt(2.625, -6.0), 0.75, 0.02);
         EXPECT_NEAR(out.envelopeAt(2.75, -6.0), 0.5, 0.02);
         EXPECT_NEAR(out.envelopeAt(2.995, -6.0), 0.0, 0.02);
     }},
    {"TrimsSilenceAtTheEndsAndKeepsTheMiddlePause", trimming(-40.0),
     [] { return concat({tone(1.0, -60.0), tone(1.0, -12.0), tone(1.0, -60.0), tone(1.0, -12.0), tone(1.0, -60.0)}); },
     [](const Signal& out) {
         EXPECT_NEAR(out.seconds(), 3.0, 0.001);
         EXPECT_NEAR(out.peakDbfs(0.0, 0.9), -12.0, 0.1);
         EXPECT_NEAR(out.peakDbfs(1.1, 1.9), -60.0, 0.1);
         EXPECT_NEAR(out.peakDbfs(2.1, 2.9), -12.0, 0.1);
     }},
    {"TrimmingThresholdAppliesToTheNormalizedLevel", trimming(-40.0, peakNormalization(100.0)), quietMusicInNoise,
     [](const Signal& out) {
         EXPECT_NEAR(out.seconds(), 2.0, 0.001);
         EXPECT_NEAR(out.peakDbfs(), 0.0, 0.1);
     }},
    {"TrimmingKeepsAStreamThatIsSilentThroughout", trimming(-40.0), [] { return tone(2.0, -60.0); },
     [](const Signal& out) { EXPECT_NEAR(out.seconds(), 2.0, 1e-9); }},
    {"AutomaticVolumeControlRaisesAQuietPassageTowardsThePeakTarget",
     withAutomaticVolumeControl(peakNormalization(100.0)),
     [] { return concat({tone(4.0, -6.0), tone(6.0, -30.0), tone(4.0, -6.0)}); },
     [](const Signal& out) {
         EXPECT_NEAR(out.seconds(), 14.0, 1e-9);
         // 24 dB apart before; the quiet passage gains up to 20 dB, the loud one nothing.
         EXPECT_LT(out.peakDbfs(1.0, 2.0) - out.peakDbfs(6.5, 7.5), 24.0 - 15.0);
         EXPECT_LE(out.peak(), 1.0);
     }},
    {"AutomaticVolumeControlRaisesSoftSpeechDespiteItsPauses", withAutomaticVolumeControl(peakNormalization(100.0)),
     loudSoftSpeechLoud,
     [](const Signal& out) {
         EXPECT_LT(out.rmsDbfs(1.0, 2.0) - out.rmsDbfs(7.0, 7.7), 24.0 - 15.0);
         EXPECT_LE(out.peak(), 1.0);
     }},
    {"AutomaticVolumeControlRaisesAQuietPassageTowardsTheLoudnessTarget",
     withAutomaticVolumeControl(loudnessNormalization(-18.0)),
     [] { return concat({tone(4.0, -6.0), tone(6.0, -30.0), tone(4.0, -6.0), toneWithClicks()}); },
     [](const Signal& out) {
         EXPECT_LT(out.rmsDbfs(1.0, 2.0) - out.rmsDbfs(6.5, 7.5), 24.0 - 15.0);
         EXPECT_LE(out.peak(), 1.0);
     }},
};

void PrintTo(const MeasuredCase& row, std::ostream* os)
{
    *os << row.name;
}

class EffectsMeasuredTest : public ::testing::TestWithParam<MeasuredCase> {};

TEST_P(EffectsMeasuredTest, MeetsItsMeasure)
{
    const MeasuredCase& row = GetParam();
    const Signal out = render(row.settings, row.source(), 4096);
    row.expect(out);
}

INSTANTIATE_TEST_SUITE_P(Table, EffectsMeasuredTest, ::testing::ValuesIn(kMeasuredCases),
                         [](const auto& info) { return info.param.name; });

// The look-ahead stages hold frames across calls; how the stream is cut must not matter.
TEST(EffectsProcessorTest, OutputDoesNotDependOnHowTheStreamIsCut)
{
    const Signal source = concat({tone(0.7, -60.0), tone(3.0, -6.0), tone(3.0, -30.0), toneWithClicks()});
    const EffectsSettings cases[] = {
        trimming(-40.0, withAutomaticVolumeControl(loudnessNormalization(-16.0))),
        trimming(-40.0, loudnessNormalization(-14.0)),
    };
    for (EffectsSettings settings : cases) {
        settings.fadeInMs = 300;
        settings.fadeOutMs = 700;
        settings.durationLimitMs = 9000;
        const Signal whole = render(settings, source, source.frames());
        EXPECT_EQ(whole.frames(), 9 * kRate);
        EXPECT_EQ(render(settings, source, 1).samples, whole.samples);
        EXPECT_EQ(render(settings, source, 997).samples, whole.samples);
    }
}

// Streams shorter than a look-ahead, a volume block or a loudness gating block come out whole (but
// for the tone's silent first sample where silence is trimmed).
TEST(EffectsProcessorTest, PassesStreamsShorterThanItsWindowsWhole)
{
    const EffectsSettings cases[] = {
        withAutomaticVolumeControl(peakNormalization(100.0)),
        withAutomaticVolumeControl(loudnessNormalization(-18.0)),
        trimming(-40.0, loudnessNormalization(-18.0)),
        fades(500, 500),
    };
    for (const EffectsSettings& settings : cases) {
        for (const double seconds : {0.0, 1.0 / kRate, 0.002, 0.3}) {
            const Signal source = tone(seconds, -6.0, 12000.0);
            const Signal out = render(settings, source, 64);
            EXPECT_NEAR(out.frames(), source.frames(), settings.trimSilence ? 1 : 0) << seconds;
            EXPECT_LE(out.peak(), 1.0);
        }
    }
}

TEST(EffectsProcessorTest, NeedsNoAnalysisForEffectsThatKnowTheirEnd)
{
    Status status = Status::success();
    auto limited = EffectsProcessor::create(durationLimit(1000), kFormat, std::nullopt, status);
    ASSERT_TRUE(status) << status.message();
    EXPECT_FALSE(limited->needsAnalysis());

    auto knownLength = EffectsProcessor::create(fades(100, 100), kFormat, 3 * kRate, status);
    ASSERT_TRUE(status) << status.message();
    EXPECT_FALSE(knownLength->needsAnalysis());
    const Signal out = renderWith(*knownLength, tone(3.0, -6.0), 1000);
    EXPECT_NEAR(out.envelopeAt(2.95, -6.0), 0.5, 0.02);

    auto unknownLength = EffectsProcessor::create(fades(100, 100), kFormat, std::nullopt, status);
    ASSERT_TRUE(status) << status.message();
    EXPECT_TRUE(unknownLength->needsAnalysis());
}

TEST(EffectsProcessorTest, RefusesCallsOutOfOrder)
{
    Status status = Status::success();
    auto processor = EffectsProcessor::create(peakNormalization(100.0), kFormat, std::nullopt, status);
    ASSERT_TRUE(status) << status.message();
    const Signal source = tone(0.1, -6.0);
    std::vector<double> out;

    EXPECT_FALSE(processor->process(source.samples.data(), source.frames(), out));
    EXPECT_EQ(processor->plan(), nullptr);
    ASSERT_TRUE(processor->analyze(source.samples.data(), source.frames()));
    ASSERT_TRUE(processor->finishAnalysis());
    EXPECT_FALSE(processor->analyze(source.samples.data(), source.frames()));
    EXPECT_FALSE(processor->finishAnalysis());
    ASSERT_TRUE(processor->process(source.samples.data(), source.frames(), out));
    ASSERT_TRUE(processor->flush(out));
    const Status late = processor->process(source.samples.data(), source.frames(), out);
    EXPECT_FALSE(late);
    EXPECT_NE(late.message().find("flushed"), std::string::npos);
}

TEST(EffectsProcessorTest, RefusesSettingsNoConversionCanHonour)
{
    EffectsSettings negativeFade = fades(-1, 0);
    const struct {
        EffectsSettings settings;
        FloatAudioFormat format;
    } cases[] = {
        {peakNormalization(0.0), kFormat},
        {peakNormalization(150.0), kFormat},
        {loudnessNormalization(std::nan("")), kFormat},
        {negativeFade, kFormat},
        {EffectsSettings{}, FloatAudioFormat{0, 2}},
        {EffectsSettings{}, FloatAudioFormat{kRate, 0}},
    };
    for (const auto& row : cases) {
        Status status = Status::success();
        EXPECT_EQ(EffectsProcessor::create(row.settings, row.format, std::nullopt, status), nullptr);
        EXPECT_FALSE(status);
        EXPECT_FALSE(status.message().empty());
    }
}

// The render pass may see a few more frames than the analysis counted (a decoder that is not
// sample-exact); the output still ends where the plan says, with its fade complete.
TEST(EffectsProcessorTest, EndsWhereThePlanSaysWhenTheRenderPassRunsLonger)
{
    Status status = Status::success();
    auto processor = EffectsProcessor::create(fades(0, 500), kFormat, std::nullopt, status);
    ASSERT_TRUE(status) << status.message();
    const Signal analysed = tone(1.0, -6.0);
    const Signal rendered = tone(1.1, -6.0);
    ASSERT_TRUE(processor->analyze(analysed.samples.data(), analysed.frames()));
    ASSERT_TRUE(processor->finishAnalysis());
    const Signal out = renderWith(*processor, rendered, 4096);
    EXPECT_EQ(out.frames(), kRate);
    EXPECT_NEAR(out.envelopeAt(0.995, -6.0), 0.0, 0.02);
}

TEST(EffectsSettingsTest, ReadsTheMethodOfTheSettingsRecord)
{
    const struct {
        std::int32_t code;
        double peakPercent;
        double loudnessLufs;
        NormalizationMethod method;
    } cases[] = {
        {0, 100.0, -18.0, NormalizationMethod::Peak},
        {3, 100.0, -18.0, NormalizationMethod::Loudness},
        {0, 0.0, 0.0, NormalizationMethod::Off},
        {3, 0.0, 0.0, NormalizationMethod::Off},
        {2, 89.1, -18.0, NormalizationMethod::Peak},
    };
    for (const auto& row : cases)
        EXPECT_EQ(EffectsSettings::methodFromRecord(row.code, row.peakPercent, row.loudnessLufs), row.method)
            << row.code << " " << row.peakPercent << " " << row.loudnessLufs;
}

} // namespace
