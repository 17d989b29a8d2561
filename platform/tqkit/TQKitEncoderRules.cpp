#include "platform/tqkit/TQKitEncoderRules.h"

#include "platform/tqkit/TQM4ASettingsRecord.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <span>

namespace {

struct MPEGVersion {
    uint32_t bit;
    std::array<int32_t, 3> sampleRates; // in the same order in every version: 44.1, 48, 32 family
    std::span<const int32_t> bitRates;  // ascending
};

constexpr int32_t kMPEG1BitRates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int32_t kMPEG2BitRates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr int32_t kMPEG25BitRates[] = {8, 16, 24, 32, 40, 48, 56, 64};

constexpr MPEGVersion kVersions[] = {
    {kTQKitMPEG1, {44100, 48000, 32000}, kMPEG1BitRates},
    {kTQKitMPEG2, {22050, 24000, 16000}, kMPEG2BitRates},
    {kTQKitMPEG25, {11025, 12000, 8000}, kMPEG25BitRates},
};

const MPEGVersion* versionOfSampleRate(int32_t hz, size_t* family = nullptr)
{
    for (const MPEGVersion& version : kVersions) {
        const auto found = std::find(version.sampleRates.begin(), version.sampleRates.end(), hz);
        if (found != version.sampleRates.end()) {
            if (family)
                *family = static_cast<size_t>(found - version.sampleRates.begin());
            return &version;
        }
    }
    return nullptr;
}

bool carries(const MPEGVersion& version, int32_t kbps)
{
    return std::find(version.bitRates.begin(), version.bitRates.end(), kbps) !=
           version.bitRates.end();
}

// The legal rate nearest to kbps (the higher one on a tie) among the given versions.
int32_t nearestBitRate(uint32_t versions, int32_t kbps)
{
    int32_t best = 0;
    for (const MPEGVersion& version : kVersions) {
        if (!(versions & version.bit))
            continue;
        for (const int32_t rate : version.bitRates) {
            const int32_t distance = std::abs(rate - kbps);
            const int32_t bestDistance = std::abs(best - kbps);
            if (best == 0 || distance < bestDistance || (distance == bestDistance && rate > best))
                best = rate;
        }
    }
    return best;
}

// The bit rates that decide the record's MPEG version; Auto contributes none.
std::array<int32_t, 2> bitRatesInUse(const TQMP3SettingsRecord& record)
{
    if (record.cbr)
        return {record.cbrBitRate, record.cbrBitRate};
    return {record.vbrMinBitRate, record.vbrMaxBitRate};
}

struct M4ACodecRules {
    int32_t codec;
    int32_t minSampleRate;
    int32_t maxSampleRate;
    const int32_t* bitRates;
};

constexpr int32_t kAACLCBitRates[] = {16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224,
                                      256, 320, 0};
constexpr int32_t kAACHEv1BitRates[] = {16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 0};
constexpr int32_t kAACHEv2BitRates[] = {16, 24, 32, 40, 48, 56, 64, 0};

// The AAC encoder takes 7350 to 96000 Hz; the high-efficiency profiles work from a core at half
// the output rate, so they are offered 16000 to 48000 Hz. ALAC stores any rate up to 384000 Hz.
constexpr M4ACodecRules kM4ACodecs[] = {
    {kTQM4ACodecAACLC, 7350, 96000, kAACLCBitRates},
    {kTQM4ACodecAACHEv1, 16000, 48000, kAACHEv1BitRates},
    {kTQM4ACodecAACHEv2, 16000, 48000, kAACHEv2BitRates},
    {kTQM4ACodecALAC, 8000, 384000, nullptr},
};

const M4ACodecRules* m4aRules(int32_t codec)
{
    for (const M4ACodecRules& rules : kM4ACodecs) {
        if (rules.codec == codec)
            return &rules;
    }
    return nullptr;
}

constexpr int32_t kWAVCodecGSM610 = 19;

} // namespace

const int32_t* TQKitM4ABitRateList(int32_t codec)
{
    const M4ACodecRules* rules = m4aRules(codec);
    return rules ? rules->bitRates : nullptr;
}

int32_t TQKitM4ASampleRateLimit(int32_t codec, int32_t bound)
{
    const M4ACodecRules* rules = m4aRules(codec);
    if (!rules)
        rules = m4aRules(kTQM4ACodecAACLC);
    return std::clamp(bound, rules->minSampleRate, rules->maxSampleRate);
}

bool TQKitMP3IsBitRate(int32_t kbps)
{
    return std::any_of(std::begin(kVersions), std::end(kVersions),
                       [kbps](const MPEGVersion& version) { return carries(version, kbps); });
}

bool TQKitMP3IsSampleRate(int32_t hz) { return versionOfSampleRate(hz) != nullptr; }

void TQKitMP3BitRateRangeAdjust(uint32_t versions, int32_t* minKbps, int32_t* maxKbps)
{
    versions &= kTQKitMPEG1 | kTQKitMPEG2 | kTQKitMPEG25;
    if (!minKbps || !maxKbps || versions == 0)
        return;
    *minKbps = nearestBitRate(versions, *minKbps);
    *maxKbps = nearestBitRate(versions, *maxKbps);
    if (*minKbps > *maxKbps)
        std::swap(*minKbps, *maxKbps);
}

bool TQKitMP3BitRatesFitSampleRate(TQMP3SettingsRecord* record)
{
    if (!record)
        return false;
    const MPEGVersion* version = versionOfSampleRate(record->sampleRate);
    if (!version)
        return false;
    const TQMP3SettingsRecord before = *record;
    if (record->cbr) {
        if (record->cbrBitRate != 0)
            record->cbrBitRate = nearestBitRate(version->bit, record->cbrBitRate);
    } else {
        TQKitMP3BitRateRangeAdjust(version->bit, &record->vbrMinBitRate, &record->vbrMaxBitRate);
    }
    return !(before == *record);
}

void TQKitMP3SampleRateFitBitRate(const TQMP3SettingsRecord* record, int32_t* sampleRate,
                                  const uint8_t* /*channels*/)
{
    if (!record || !sampleRate)
        return;
    size_t family = 0;
    const MPEGVersion* current = versionOfSampleRate(*sampleRate, &family);
    const std::array<int32_t, 2> inUse = bitRatesInUse(*record);
    if (!current || inUse[0] == 0)
        return;
    const auto carriesAll = [&inUse](const MPEGVersion& version) {
        return carries(version, inUse[0]) && carries(version, inUse[1]);
    };
    if (carriesAll(*current))
        return;
    // Among the versions that carry them, the one whose rate of the same family is nearest.
    const MPEGVersion* best = nullptr;
    for (const MPEGVersion& version : kVersions) {
        if (carriesAll(version) &&
            (!best || std::abs(version.sampleRates[family] - *sampleRate) <
                          std::abs(best->sampleRates[family] - *sampleRate)))
            best = &version;
    }
    if (best)
        *sampleRate = best->sampleRates[family];
}

uint8_t TQKitCodecChannelLimit(int32_t codec, uint8_t requested)
{
    if (codec == kWAVCodecGSM610)
        return std::min<uint8_t>(requested, 1);
    return requested;
}
