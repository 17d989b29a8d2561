#include "platform/engine/ItemConverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <mutex>
#include <set>

#include <ebur128.h>

#include "platform/engine/ServiceItemRunner.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/platform/engine/ConverterFixture.h"
#include "tests/support/TempHome.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;
using Audio = test::DecodedAudio;

double dbfs(double amplitude)
{
    return 20 * std::log10(amplitude);
}

// Largest absolute sample of any channel between two times.
double peakIn(const Audio& audio, double from, double to)
{
    const auto first = size_t(std::max(0.0, from) * audio.sampleRate) * audio.channels;
    const auto last = std::min(audio.samples.size(), size_t(to * audio.sampleRate) * audio.channels);
    double peak = 0;
    for (size_t i = first; i < last; ++i)
        peak = std::max(peak, double(std::fabs(audio.samples[i])));
    return peak;
}

double peakOf(const Audio& audio)
{
    return peakIn(audio, 0, audio.seconds());
}

double loudnessOf(const Audio& audio)
{
    ebur128_state* state = ebur128_init(unsigned(audio.channels), unsigned(audio.sampleRate), EBUR128_MODE_I);
    ebur128_add_frames_double(state, audio.samples.data(), audio.samples.size() / audio.channels);
    double lufs = 0;
    ebur128_loudness_global(state, &lufs);
    ebur128_destroy(&state);
    return lufs;
}

std::vector<double> concat(std::initializer_list<std::vector<double>> parts)
{
    std::vector<double> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class EffectsPipelineTest : public ::testing::Test {
protected:
    // Converts `source` to 16-bit FLAC with `effects`; the item statuses of its passes go to `statuses`.
    Audio convert(const fs::path& source, const effects::EffectsSettings& effects, std::set<int>* statuses = nullptr)
    {
        ItemJob job{.sourcePath = source, .outputPath = dir_.path() / "out.flac",
                    .settings = {OutputFormat::Flac, FlacOptions{.sampleSize = 2}}, .effects = effects};
        const ItemOutcome outcome = ItemConverter::run(job, nullptr, [&](int status, double) {
            if (statuses)
                statuses->insert(status);
        });
        EXPECT_TRUE(outcome.status.isOk()) << outcome.status.message();
        return test::decodeAudio(job.outputPath);
    }

    test::TempDir dir_;
};

// Each effect on a generated tone, decoded back and measured.
TEST_F(EffectsPipelineTest, EachEffectDoesWhatItsSettingSays)
{
    using effects::NormalizationMethod;
    const fs::path tone = dir_.path() / "tone.wav";
    test::writeToneWav(tone, {.frequency = 1000, .seconds = 4, .amplitude = 0.25});
    const fs::path loud = dir_.path() / "loud.wav";
    test::writeToneWav(loud, {.frequency = 1000, .seconds = 4, .amplitude = 0.9});
    // 1 s at -60 dBFS, 1 s of tone, a 1 s pause at -60 dBFS, 1 s of tone, 1 s at -60 dBFS.
    const fs::path padded = dir_.path() / "padded.wav";
    const auto quiet = test::toneSamples({.frequency = 440, .seconds = 1, .amplitude = 0.001});
    const auto sound = test::toneSamples({.frequency = 1000, .seconds = 1, .amplitude = 0.5});
    test::writeWav(padded, concat({quiet, sound, quiet, sound, quiet}), 44100, 2);

    // A soft tone with a 10 ms burst near full scale every second: loud peaks, low loudness.
    auto spikes = test::toneSamples({.frequency = 1000, .seconds = 4, .amplitude = 0.1});
    for (size_t second = 0; second < 4; ++second)
        for (size_t i = 0; i < 441 * 2; ++i)
            spikes[(second * 44100 + 22050) * 2 + i] *= 9;
    const fs::path spiky = dir_.path() / "spiky.wav";
    test::writeWav(spiky, spikes, 44100, 2);
    // 3 s loud, then 3 s twenty decibels softer.
    const fs::path uneven = dir_.path() / "uneven.wav";
    test::writeWav(uneven, concat({test::toneSamples({.seconds = 3, .amplitude = 0.5}),
                                   test::toneSamples({.seconds = 3, .amplitude = 0.05})}), 44100, 2);

    struct Case {
        const char* name;
        fs::path source;
        effects::EffectsSettings effects;
        std::set<int> statuses;
        std::function<void(const Audio&)> check;
    };
    const Case cases[] = {
        {"peak normalization to 100 %", tone, {.normalization = NormalizationMethod::Peak, .peakTargetPercent = 100},
         {2, 4}, [](const Audio& a) { EXPECT_NEAR(dbfs(peakOf(a)), 0.0, 0.1); }},
        {"peak normalization to 50 %", loud, {.normalization = NormalizationMethod::Peak, .peakTargetPercent = 50},
         {2, 4}, [](const Audio& a) { EXPECT_NEAR(dbfs(peakOf(a)), dbfs(0.5), 0.1); }},
        {"loudness normalization to -18 LUFS", tone,
         {.normalization = NormalizationMethod::Loudness, .loudnessTargetLufs = -18}, {2, 4},
         [](const Audio& a) {
             EXPECT_NEAR(loudnessOf(a), -18.0, 0.5);
             EXPECT_LT(peakOf(a), 1.0);
         }},
        {"loudness normalization to -5 LUFS would clip the bursts: the peaks are held", spiky,
         {.normalization = NormalizationMethod::Loudness, .loudnessTargetLufs = -5}, {2, 4},
         [](const Audio& a) {
             EXPECT_LE(dbfs(peakOf(a)), -0.9);
             EXPECT_GT(peakIn(a, 0.1, 0.4), 0.1 * 4) << "the soft tone itself is raised";
         }},
        {"automatic volume control with loudness normalization", uneven,
         {.normalization = NormalizationMethod::Loudness, .loudnessTargetLufs = -18, .automaticVolumeControl = true},
         {2, 4},
         [](const Audio& a) {
             const double loud = peakIn(a, 2.0, 2.9), soft = peakIn(a, 5.0, 5.9);
             EXPECT_GT(soft / loud, 0.2) << "the soft part comes closer to the loud one than its 0.1";
             EXPECT_LT(peakOf(a), 1.0);
         }},
        {"a limit of 2,000 ms", tone, {.durationLimitMs = 2000}, {4},
         [](const Audio& a) { EXPECT_NEAR(a.seconds(), 2.0, 1.0 / 44100); }},
        {"fades of 500 ms", tone, {.fadeInMs = 500, .fadeOutMs = 500}, {2, 4},
         [](const Audio& a) {
             const double full = peakIn(a, 1.0, 3.0), end = a.seconds();
             EXPECT_NEAR(full, 0.25, 0.01);
             EXPECT_LT(peakIn(a, 0, 0.01), 0.02 * full + 0.001);
             EXPECT_NEAR(peakIn(a, 0.245, 0.255), 0.5 * full, 0.03 * full);
             EXPECT_NEAR(peakIn(a, 0.5, 0.6), full, 0.01 * full);
             EXPECT_NEAR(peakIn(a, end - 0.255, end - 0.245), 0.5 * full, 0.03 * full);
             EXPECT_LT(peakIn(a, end - 0.01, end), 0.02 * full + 0.001);
             EXPECT_NEAR(end, 4.0, 1.0 / 44100);
         }},
        {"trimming at -40 dBFS", padded, {.trimSilence = true, .silenceThresholdDbfs = -40}, {3, 4},
         [](const Audio& a) {
             EXPECT_NEAR(a.seconds(), 3.0, 0.05) << "the silence at both ends is gone";
             EXPECT_NEAR(peakIn(a, 0.05, 0.95), 0.5, 0.01);
             EXPECT_LT(peakIn(a, 1.1, 1.9), 0.002) << "the pause in the middle stays";
             EXPECT_NEAR(peakIn(a, 2.05, 2.95), 0.5, 0.01);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::set<int> statuses;
        const Audio result = convert(c.source, c.effects, &statuses);
        ASSERT_FALSE(result.samples.empty());
        EXPECT_EQ(statuses, c.statuses);
        c.check(result);
    }
}

// Past the duration limit the source is not read: a damaged tail beyond it costs nothing.
TEST_F(EffectsPipelineTest, ADurationLimitStopsReadingTheSource)
{
    test::writeToneWav(dir_.path() / "tone.wav", {.seconds = 6});
    const fs::path damaged = dir_.path() / "damaged.flac";
    ItemJob make{.sourcePath = dir_.path() / "tone.wav", .outputPath = damaged,
                 .settings = {OutputFormat::Flac, FlacOptions{}}};
    ASSERT_TRUE(ItemConverter::run(make, nullptr, nullptr).status.isOk());
    fs::resize_file(damaged, fs::file_size(damaged) / 2);

    ItemJob whole{.sourcePath = damaged, .outputPath = dir_.path() / "whole.flac",
                  .settings = {OutputFormat::Flac, FlacOptions{}}};
    EXPECT_FALSE(ItemConverter::run(whole, nullptr, nullptr).status.isOk()) << "the whole file is damaged";
    EXPECT_NEAR(convert(damaged, {.durationLimitMs = 1000}).seconds(), 1.0, 1.0 / 44100);
}

// The job crosses into a conversion service and back: the service applies the effects and reports
// the analysis pass with its own item status.
TEST_F(EffectsPipelineTest, AConversionServiceNormalizesAndReportsBothPasses)
{
    const fs::path tone = dir_.path() / "tone.wav";
    test::writeToneWav(tone, {.seconds = 2, .amplitude = 0.1});
    ItemJob job{.sourcePath = tone, .outputPath = dir_.path() / "out.wav", .settings = {OutputFormat::Wav, PcmOptions{}},
                .effects = {.normalization = effects::NormalizationMethod::Peak, .peakTargetPercent = 50}};
    std::set<int> statuses;
    ServiceItemRunner runner(SONVALE_CONVERT_SERVICE);
    const ItemOutcome outcome = runner.run(job, std::atomic<bool>(false), [&](int status, double fraction) {
        statuses.insert(status);
        EXPECT_GE(fraction, 0.0);
        EXPECT_LE(fraction, 1.0);
    });
    ASSERT_TRUE(outcome.status.isOk()) << outcome.status.message();
    EXPECT_EQ(statuses, (std::set<int>{2, 4}));
    EXPECT_NEAR(outcome.durationMs, 2000, 1);
    EXPECT_NEAR(dbfs(peakOf(test::decodeAudio(job.outputPath))), dbfs(0.5), 0.1);
}

using EffectsBatchTest = ConverterFixture;

// Through a batch the item shows its analysis pass as status 2, and neither its progress nor the
// batch's runs backwards when the second pass starts.
TEST_F(EffectsBatchTest, TheAnalysisPassShowsItsStatusAndProgressNeverRunsBackwards)
{
    test::writeToneWav(source_ / "tone.wav", {.seconds = 3, .amplitude = 0.1});
    settings_.effects = {.normalization = effects::NormalizationMethod::Peak, .peakTargetPercent = 100};
    Item* item = listWithOneItem({(source_ / "tone.wav").string()});
    ASSERT_TRUE(item);
    ItemRecorder recorder(list_, item);
    std::vector<double> batchProgress;
    test::ListWatcher watcher(list_);
    watcher.progress = [&](double value) { batchProgress.push_back(value); };
    startConverter({.workers = 1});
    TQKitConversionStart(converter_, list_);
    ASSERT_TRUE(watcher.waitFinished());

    double last = 0;
    for (const auto& [status, progress] : recorder.changes()) {
        if (status == Item::AdjustingVolume || status == Item::Converting) {
            EXPECT_GE(progress, last);
            last = progress;
        }
    }
    EXPECT_TRUE(recorder.statuses().count(Item::AdjustingVolume));
    EXPECT_TRUE(recorder.statuses().count(Item::Converting));
    EXPECT_TRUE(std::is_sorted(batchProgress.begin(), batchProgress.end()));
    EXPECT_FALSE(test::decodeAudio(destination_ / "tone.mp3").samples.empty());
}

} // namespace
} // namespace sonvale::engine
