#include "platform/tqkit/TQKitEncoderRules.h"
#include "platform/tqkit/TQM4ASettingsRecord.h"
#include "platform/tqkit/TQWAVSettingsRecord.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> listOf(const int32_t* rates)
{
    std::vector<int32_t> list;
    for (; rates && *rates; ++rates)
        list.push_back(*rates);
    return list;
}

TEST(TQKitEncoderRulesTest, M4ACodecsOfferWhatTheEncodersTake)
{
    const std::vector<int32_t> lc = listOf(TQKitM4ABitRateList(kTQM4ACodecAACLC));
    ASSERT_FALSE(lc.empty());
    EXPECT_EQ(lc.front(), 16);
    EXPECT_EQ(lc.back(), 320);
    EXPECT_EQ(listOf(TQKitM4ABitRateList(kTQM4ACodecAACHEv2)).back(), 64);
    EXPECT_LT(listOf(TQKitM4ABitRateList(kTQM4ACodecAACHEv1)).back(), lc.back());
    EXPECT_EQ(TQKitM4ABitRateList(kTQM4ACodecALAC), nullptr);
    EXPECT_EQ(TQKitM4ABitRateList(99), nullptr);

    struct Case {
        int32_t codec;
        int32_t highest;
        int32_t lowest;
    };
    for (const Case& c : {Case{kTQM4ACodecAACLC, 96000, 7350}, Case{kTQM4ACodecAACHEv1, 48000, 16000},
                          Case{kTQM4ACodecAACHEv2, 48000, 16000}, Case{kTQM4ACodecALAC, 384000, 8000},
                          Case{12, 96000, 7350}}) {
        EXPECT_EQ(TQKitM4ASampleRateLimit(c.codec, 0xFFFFFF), c.highest) << c.codec;
        EXPECT_EQ(TQKitM4ASampleRateLimit(c.codec, 1000), c.lowest) << c.codec;
    }
    EXPECT_EQ(TQKitM4ASampleRateLimit(kTQM4ACodecAACLC, 44100), 44100);
}

TEST(TQKitEncoderRulesTest, VBRRangeSnapsToLegalRatesInOrder)
{
    struct Case {
        uint32_t versions;
        int32_t min, max;
        int32_t expectedMin, expectedMax;
    };
    const Case cases[] = {
        {31, 128, 256, 128, 256},
        {31, 256, 128, 128, 256},  // put in order
        {31, 100, 330, 96, 320},   // nearest legal rates
        {31, 8, 144, 8, 144},      // MPEG-2 rates are legal when MPEG-2 is among the versions
        {kTQKitMPEG1, 8, 144, 32, 160},
        {kTQKitMPEG25, 32, 320, 32, 64},
        {kTQKitMPEG1, 152, 152, 160, 160}, // a tie goes up
        {0x18, 100, 50, 100, 50},  // no known version: unchanged
    };
    for (const Case& c : cases) {
        int32_t min = c.min;
        int32_t max = c.max;
        TQKitMP3BitRateRangeAdjust(c.versions, &min, &max);
        EXPECT_EQ(min, c.expectedMin) << c.versions << " " << c.min << "-" << c.max;
        EXPECT_EQ(max, c.expectedMax) << c.versions << " " << c.min << "-" << c.max;
    }
    TQKitMP3BitRateRangeAdjust(31, nullptr, nullptr);
}

TEST(TQKitEncoderRulesTest, MP3BitRatesFitTheSampleRatesVersion)
{
    struct Case {
        bool cbr;
        int32_t cbrRate, vbrMin, vbrMax, sampleRate;
        bool changed;
        int32_t cbrAfter, minAfter, maxAfter;
    };
    const Case cases[] = {
        {true, 320, 64, 320, 22050, true, 160, 64, 320},  // MPEG-2 tops at 160
        {true, 320, 64, 320, 11025, true, 64, 64, 320},   // MPEG-2.5 tops at 64
        {true, 0, 64, 320, 8000, false, 0, 64, 320},      // Auto stays
        {true, 16, 64, 320, 44100, true, 32, 64, 320},    // MPEG-1 starts at 32
        {false, 320, 8, 320, 48000, true, 320, 32, 320},
        {false, 320, 32, 128, 0, false, 320, 32, 128},    // as source: nothing to fit
        {false, 320, 32, 128, 44100, false, 320, 32, 128},
    };
    for (const Case& c : cases) {
        TQMP3SettingsRecord record;
        record.cbr = c.cbr;
        record.cbrBitRate = c.cbrRate;
        record.vbrMinBitRate = c.vbrMin;
        record.vbrMaxBitRate = c.vbrMax;
        record.sampleRate = c.sampleRate;
        EXPECT_EQ(TQKitMP3BitRatesFitSampleRate(&record), c.changed) << c.sampleRate;
        EXPECT_EQ(record.cbrBitRate, c.cbrAfter) << c.sampleRate;
        EXPECT_EQ(record.vbrMinBitRate, c.minAfter) << c.sampleRate;
        EXPECT_EQ(record.vbrMaxBitRate, c.maxAfter) << c.sampleRate;
    }
}

TEST(TQKitEncoderRulesTest, SampleRateMovesToAVersionThatCarriesTheBitRates)
{
    struct Case {
        bool cbr;
        int32_t cbrRate, vbrMin, vbrMax, sampleRate, expected;
    };
    const Case cases[] = {
        {true, 320, 0, 0, 22050, 44100},  // 320 kbps needs MPEG-1
        {true, 320, 0, 0, 8000, 32000},
        {true, 128, 0, 0, 11025, 22050},  // MPEG-2 is nearer than MPEG-1
        {true, 16, 0, 0, 48000, 24000},   // 16 kbps is not an MPEG-1 rate
        {true, 144, 0, 0, 44100, 22050},  // MPEG-2 only
        {true, 128, 0, 0, 44100, 44100},  // already fine
        {true, 0, 0, 0, 8000, 8000},      // Auto decides nothing
        {false, 0, 8, 320, 44100, 44100}, // no version carries both: left alone
        {false, 0, 8, 64, 44100, 22050},
        {true, 320, 0, 0, 0, 0},          // as source stays
        {true, 320, 0, 0, 96000, 96000},  // not an MP3 rate: left to the panel
    };
    const uint8_t channels = 2;
    for (const Case& c : cases) {
        TQMP3SettingsRecord record;
        record.cbr = c.cbr;
        record.cbrBitRate = c.cbrRate;
        record.vbrMinBitRate = c.vbrMin;
        record.vbrMaxBitRate = c.vbrMax;
        int32_t sampleRate = c.sampleRate;
        TQKitMP3SampleRateFitBitRate(&record, &sampleRate, &channels);
        EXPECT_EQ(sampleRate, c.expected) << c.cbrRate << "/" << c.vbrMin << "-" << c.vbrMax
                                          << " at " << c.sampleRate;
    }
}

TEST(TQKitEncoderRulesTest, OnlyGSMIsLimitedToOneChannel)
{
    EXPECT_EQ(TQKitCodecChannelLimit(kTQPCMCodecGSMMicrosoft, 2), 1);
    for (const int32_t codec : {0, 2, 3, 7, 11, 15, 16, 17, 24, 25, 26})
        EXPECT_EQ(TQKitCodecChannelLimit(codec, 2), 2) << codec;
}

} // namespace
