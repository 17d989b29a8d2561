#include "platform/engine/EncoderPlanner.h"

#include "platform/tqkit/TQKitEncoderRules.h"

#include <algorithm>
#include <array>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace sonvale::engine {
namespace {

constexpr std::array kMp3Rates{8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
constexpr std::array kAacRates{7350, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000,
                               64000, 88200, 96000};
constexpr std::array kMp3BitRates{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

// The largest supported rate not above the wanted one; the smallest when all are above it.
template <size_t N>
int fitRate(int wanted, const std::array<int, N>& rates)
{
    int best = rates.front();
    for (int r : rates)
        if (r <= wanted)
            best = r;
    return best;
}

int chosenRate(int32_t option, const SourceInfo& source)
{
    return option > 0 ? option : (source.sampleRate > 0 ? source.sampleRate : 44100);
}

int chosenChannels(uint8_t option, const SourceInfo& source, int maxChannels)
{
    int channels = option == 1 ? 1 : option == 2 ? 2 : source.channels;
    return std::clamp(channels, 1, maxChannels);
}

std::string describeLayout(const AVChannelLayout& layout)
{
    char text[64] = {};
    av_channel_layout_describe(&layout, text, sizeof text);
    return text;
}

// The result's speakers: the source's when it keeps its channel count. An encoder with a fixed set
// of layouts gets its own of that count, the channels kept in order, so nothing is mixed away.
Status chooseLayout(const SourceInfo& source, EncoderPlan& plan)
{
    plan.channelMask = plan.channels == source.channels ? source.channelMask : 0;
    const AVCodec* encoder = avcodec_find_encoder(plan.codec);
    if (!encoder || !encoder->ch_layouts)
        return Status::success();
    const AVChannelLayout* sameCount = nullptr;
    for (const AVChannelLayout* layout = encoder->ch_layouts; layout->nb_channels; ++layout) {
        if (layout->order != AV_CHANNEL_ORDER_NATIVE || layout->nb_channels != plan.channels)
            continue;
        if (plan.channelMask == layout->u.mask)
            return Status::success();
        if (!sameCount)
            sameCount = layout;
    }
    const std::string codecName = avcodec_descriptor_get(plan.codec)->long_name;
    if (!sameCount)
        return Status::failure(codecName + " cannot hold " + std::to_string(plan.channels) + " channels");
    if (plan.channelMask) {
        AVChannelLayout wanted{};
        av_channel_layout_from_mask(&wanted, plan.channelMask);
        plan.notes.push_back(codecName + " has no " + describeLayout(wanted) + " layout, channels kept in order as "
                             + describeLayout(*sameCount));
    }
    plan.channelMask = sameCount->u.mask;
    return Status::success();
}

// Depth "as the source": lossy sources and unknown depths count as 16 bits.
int sourceDepth(const SourceInfo& source)
{
    return source.bitsPerSample > 0 ? source.bitsPerSample : 16;
}

std::string kbpsText(int kbps) { return std::to_string(kbps) + " kbps"; }
std::string hzText(int hz) { return std::to_string(hz) + " Hz"; }

// The chosen bit rates of an MP3 as the encoder rules read them.
std::string bitRatesText(const TQMP3SettingsRecord& r)
{
    return r.cbr ? kbpsText(r.cbrBitRate)
                 : "VBR " + std::to_string(r.vbrMinBitRate) + " to " + kbpsText(r.vbrMaxBitRate);
}

// Each MPEG version of Layer III carries its own bit rates at its own sample rates (see
// TQKitEncoderRules). The rules settle both before encoding, as the MP3 panel does: the sample
// rate moves to one that carries the chosen bit rates, then any bit rate still out of reach moves
// to the nearest one the rate carries. LAME would otherwise clamp on its own and say nothing.
// Leaves the bit rates in `rules` (Auto resolved) and the sample rate in the plan.
void fitMp3Rates(const Mp3Options& o, const SourceInfo& source, EncoderPlan& plan, TQMP3SettingsRecord& rules)
{
    rules.cbr = o.cbr;
    rules.cbrBitRate = o.cbr ? std::max(0, o.cbrBitRate) : 0;
    rules.vbrMinBitRate = std::min(o.vbrMinBitRate, o.vbrMaxBitRate);
    rules.vbrMaxBitRate = std::max(o.vbrMinBitRate, o.vbrMaxBitRate);
    const TQMP3SettingsRecord chosen = rules;
    const int asked = fitRate(chosenRate(o.sampleRate, source), kMp3Rates);
    int32_t rate = asked;
    const uint8_t channels = 2; // the rules allow the same bit rates for one and two channels
    TQKitMP3SampleRateFitBitRate(&rules, &rate, &channels);
    if (rate != asked)
        plan.notes.push_back(hzText(rate) + " instead of " + hzText(asked) + ", which can't carry "
                             + bitRatesText(chosen));
    rules.sampleRate = rate;
    if (TQKitMP3BitRatesFitSampleRate(&rules))
        plan.notes.push_back(bitRatesText(rules) + " instead of " + bitRatesText(chosen) + ", which "
                             + hzText(rate) + " can't carry");
    if (rules.cbr && rules.cbrBitRate == 0) {
        // Automatic: the standard rate that keeps a lossy source's rate; lossless gets the top.
        const int sourceKbps = source.bitsPerSample > 0 ? 0 : int(source.bitRate / 1000);
        rules.cbrBitRate = 320;
        if (sourceKbps > 0)
            for (int r : kMp3BitRates)
                if (r >= sourceKbps) {
                    rules.cbrBitRate = r;
                    break;
                }
        TQKitMP3BitRatesFitSampleRate(&rules);
    }
    plan.sampleRate = rate;
}

Status planMp3(const Mp3Options& o, const SourceInfo& source, EncoderPlan& plan)
{
    plan.kind = EncoderPlan::Kind::Lame;
    plan.extension = "mp3";
    plan.codec = AV_CODEC_ID_MP3;
    plan.mp3Crc = o.useCrc;
    plan.mp3HighQuality = o.cbrHighQuality;
    plan.variableBitRate = !o.cbr;
    TQMP3SettingsRecord rules;
    fitMp3Rates(o, source, plan, rules);
    int lowestKbps;
    if (o.cbr) {
        plan.bitRate = int64_t(rules.cbrBitRate) * 1000;
        lowestKbps = rules.cbrBitRate;
    } else {
        plan.mp3VbrMinKbps = rules.vbrMinBitRate;
        plan.mp3VbrMaxKbps = rules.vbrMaxBitRate;
        plan.quality = std::clamp(o.vbrQuality, 0, 9);
        lowestKbps = plan.mp3VbrMinKbps;
    }
    int mode = o.channelMode;
    if (mode < 0 || mode > 3)
        mode = chosenChannels(0, source, 2) == 1 ? 3 : 1;
    if (lowestKbps > 0 && lowestKbps < 24 && mode != 3) {
        mode = 3; // below 24 kbps stereo isn't worth its bits
        plan.notes.push_back("mono, as the bit rate is below 24 kbps");
    }
    plan.mp3ChannelMode = mode;
    plan.channels = mode == 3 ? 1 : 2;
    switch (o.metadataFormat) {
    case 1: plan.tagLayout = TagLayout::Id3v24; break;
    case 2: plan.tagLayout = TagLayout::Id3v23WithV1; break;
    case 0: plan.tagLayout = TagLayout::Id3v24WithV1; break;
    default: plan.tagLayout = TagLayout::Id3v23; break;
    }
    return Status::success();
}

// The AAC encoder spends at most 6144 bits per channel on a frame of 1024 samples.
int64_t aacBitRateLimit(int channels, int sampleRate) { return int64_t(6144) * channels * sampleRate / 1024; }

Status planM4a(const M4aOptions& o, const SourceInfo& source, EncoderPlan& plan)
{
    plan.kind = EncoderPlan::Kind::Ffmpeg;
    plan.extension = EncoderPlanner::extensionFor({OutputFormat::M4a, o});
    plan.muxer = o.extension == 3 ? "mp4" : "ipod";
    plan.tagLayout = TagLayout::Mp4;
    plan.channels = chosenChannels(o.channels, source, 8);
    const int quality = std::clamp(o.quality, 1, 3);
    if (o.codec == 43) {
        plan.codec = AV_CODEC_ID_ALAC;
        plan.sampleRate = std::min(chosenRate(o.sampleRate, source), 384000);
        int depth = o.sampleSize == 2 ? 16 : o.sampleSize >= 3 ? 24 : (sourceDepth(source) <= 16 ? 16 : 24);
        if (o.sampleSize == 4)
            plan.notes.push_back("32-bit ALAC is not available, encoded with 24 bits");
        plan.bitsPerSample = depth;
        // Every level predicts (the encoder's level 0 stores frames uncompressed): low with the
        // fixed predictor, medium and high adaptively, high looking further back.
        plan.compressionLevel = quality == 1 ? 1 : 2;
        plan.alacMaxPredictionOrder = quality == 3 ? 16 : 0;
        return chooseLayout(source, plan);
    }
    plan.codec = AV_CODEC_ID_AAC;
    if (o.codec == 42)
        plan.channels = 2; // parametric stereo: always two channels, a mono source is upmixed
    if (o.codec == 41 || o.codec == 42)
        plan.notes.push_back(std::string(o.codec == 41 ? "HE-AAC v1" : "HE-AAC v2")
                             + " is not available, encoded as AAC-LC");
    const int askedRate = chosenRate(o.sampleRate, source);
    plan.sampleRate = fitRate(askedRate, kAacRates);
    if (o.sampleRate > 0 && plan.sampleRate != askedRate)
        plan.notes.push_back(hzText(plan.sampleRate) + " instead of " + hzText(askedRate) + ", which AAC can't carry");
    if (o.bitRateMode == 4) {
        // The native encoder's quality scale: about 0.5 (small) to 2 (transparent).
        plan.variableBitRate = true;
        plan.quality = std::array{0.6, 1.0, 1.6}[quality - 1];
        return chooseLayout(source, plan);
    }
    if (o.bitRateMode == 1)
        plan.notes.push_back("AAC is encoded at an average bit rate: constant is not available");
    int64_t bitRate = int64_t(o.bitRate > 0 ? o.bitRate : 64 * std::min(plan.channels, 2)) * 1000;
    const int64_t limit = aacBitRateLimit(plan.channels, plan.sampleRate);
    if (bitRate > limit) {
        if (o.bitRate > 0)
            plan.notes.push_back(kbpsText(int(limit / 1000)) + " instead of " + kbpsText(int(bitRate / 1000)) + ", the most "
                                 + hzText(plan.sampleRate) + " carries");
        bitRate = limit / 1000 * 1000;
    }
    plan.bitRate = bitRate;
    return chooseLayout(source, plan);
}

Status planFlac(const FlacOptions& o, const SourceInfo& source, EncoderPlan& plan)
{
    plan.kind = EncoderPlan::Kind::Ffmpeg;
    plan.extension = "flac";
    plan.muxer = "flac";
    plan.codec = AV_CODEC_ID_FLAC;
    plan.sampleRate = std::min(chosenRate(o.sampleRate, source), 655350);
    plan.channels = chosenChannels(o.channels, source, 8);
    int depth = o.sampleSize == 2 ? 16 : o.sampleSize == 3 ? 24 : (sourceDepth(source) <= 16 ? 16 : 24);
    if (o.sampleSize == 1) {
        plan.notes.push_back("8-bit FLAC is not available, encoded with 16 bits");
        depth = 16;
    }
    plan.bitsPerSample = depth;
    plan.compressionLevel = std::array{2, 5, 8}[std::clamp(o.compressionLevel, 1, 3) - 1];
    plan.tagLayout = o.tagsFormat == 2   ? TagLayout::VorbisWithId3v23
                     : o.tagsFormat == 1 ? TagLayout::VorbisWithId3v24
                                         : TagLayout::Vorbis;
    return chooseLayout(source, plan);
}

struct PcmCodec {
    int32_t code;
    AVCodecID id;
    int bits;
    bool monoOnly;
};

// The shared codec codes of the WAV and AIFF panels.
constexpr std::array kWavCodecs{
    PcmCodec{2, AV_CODEC_ID_PCM_U8, 8, false},     PcmCodec{3, AV_CODEC_ID_PCM_S16LE, 16, false},
    PcmCodec{7, AV_CODEC_ID_PCM_S24LE, 24, false}, PcmCodec{11, AV_CODEC_ID_PCM_S32LE, 32, false},
    PcmCodec{17, AV_CODEC_ID_PCM_F32LE, 32, false}, PcmCodec{15, AV_CODEC_ID_PCM_ALAW, 8, false},
    PcmCodec{16, AV_CODEC_ID_PCM_MULAW, 8, false}, PcmCodec{24, AV_CODEC_ID_ADPCM_IMA_WAV, 4, false},
    PcmCodec{26, AV_CODEC_ID_ADPCM_MS, 4, false},  PcmCodec{19, AV_CODEC_ID_GSM_MS, 0, true},
};
constexpr std::array kAiffCodecs{
    PcmCodec{1, AV_CODEC_ID_PCM_S8, 8, false},      PcmCodec{4, AV_CODEC_ID_PCM_S16BE, 16, false},
    PcmCodec{8, AV_CODEC_ID_PCM_S24BE, 24, false},  PcmCodec{12, AV_CODEC_ID_PCM_S32BE, 32, false},
    PcmCodec{18, AV_CODEC_ID_PCM_F32BE, 32, false}, PcmCodec{2, AV_CODEC_ID_PCM_U8, 8, false},
    PcmCodec{3, AV_CODEC_ID_PCM_S16LE, 16, false},  PcmCodec{15, AV_CODEC_ID_PCM_ALAW, 8, false},
    PcmCodec{16, AV_CODEC_ID_PCM_MULAW, 8, false},  PcmCodec{25, AV_CODEC_ID_ADPCM_IMA_QT, 4, false},
};

template <size_t N>
const PcmCodec* findCodec(int32_t code, const std::array<PcmCodec, N>& table)
{
    for (const PcmCodec& c : table)
        if (c.code == code)
            return &c;
    return nullptr;
}

// Codec 0: the PCM codec of the source's depth (8, 16, 24 or 32 bits); float stays float, so
// peaks over full scale survive.
int32_t automaticCodec(const SourceInfo& source, bool aiff)
{
    if (source.floatingPoint)
        return aiff ? 18 : 17;
    const int depth = sourceDepth(source);
    if (depth <= 8)
        return aiff ? 1 : 2;
    if (depth <= 16)
        return aiff ? 4 : 3;
    if (depth <= 24)
        return aiff ? 8 : 7;
    return aiff ? 12 : 11;
}

Status planPcm(bool aiff, const PcmOptions& o, const SourceInfo& source, EncoderPlan& plan)
{
    plan.kind = EncoderPlan::Kind::Ffmpeg;
    plan.extension = aiff ? "aiff" : "wav";
    plan.muxer = aiff ? "aiff" : "wav";
    const int32_t code = o.codec == 0 ? automaticCodec(source, aiff) : o.codec;
    const PcmCodec* codec = aiff ? findCodec(code, kAiffCodecs) : findCodec(code, kWavCodecs);
    if (!codec)
        return Status::failure("unknown " + plan.extension + " codec " + std::to_string(code));
    plan.codec = codec->id;
    plan.bitsPerSample = codec->bits;
    plan.sampleRate = chosenRate(o.sampleRate, source);
    plan.channels = chosenChannels(o.channels, source, 8);
    if (codec->monoOnly) {
        plan.channels = 1;
        if (plan.sampleRate != 8000)
            plan.notes.push_back("GSM 6.10 is encoded at 8000 Hz");
        plan.sampleRate = 8000;
    }
    if (aiff) {
        // Room is kept for the header and the tags within the 32-bit sizes of the file.
        plan.maxAudioBytes = 0xffffffffLL - (16LL << 20);
        plan.tagLayout = TagLayout::Id3v24;
    } else {
        switch (o.tagsFormat) {
        case 4: plan.tagLayout = TagLayout::Id3v23; break;
        case 2: plan.tagLayout = TagLayout::Id3v24; break;
        case 3: plan.tagLayout = TagLayout::Id3v23WithInfo; break;
        case 1: plan.tagLayout = TagLayout::InfoOnly; break;
        default: plan.tagLayout = TagLayout::Id3v24WithInfo; break;
        }
    }
    // A source known to be too large fails now rather than after minutes of work.
    if (source.durationIsExact)
        if (Status s = EncoderPlanner::checkSize(plan, source.durationSeconds * plan.sampleRate * plan.channels
                                                           * plan.bitsPerSample / 8);
            !s)
            return s;
    return chooseLayout(source, plan);
}

} // namespace

Status EncoderPlanner::plan(const OutputSettings& settings, const SourceInfo& source, EncoderPlan& plan)
{
    plan = EncoderPlan{};
    plan.format = settings.format;
    switch (settings.format) {
    case OutputFormat::Mp3:
        if (auto o = std::get_if<Mp3Options>(&settings.options))
            return planMp3(*o, source, plan);
        break;
    case OutputFormat::M4a:
        if (auto o = std::get_if<M4aOptions>(&settings.options))
            return planM4a(*o, source, plan);
        break;
    case OutputFormat::Flac:
        if (auto o = std::get_if<FlacOptions>(&settings.options))
            return planFlac(*o, source, plan);
        break;
    case OutputFormat::Wav:
    case OutputFormat::Aiff:
        if (auto o = std::get_if<PcmOptions>(&settings.options))
            return planPcm(settings.format == OutputFormat::Aiff, *o, source, plan);
        break;
    }
    return Status::failure("the output format " + std::to_string(int(settings.format))
                           + " has no matching options");
}

Status EncoderPlanner::checkSize(const EncoderPlan& plan, double audioBytes)
{
    if (plan.maxAudioBytes <= 0 || audioBytes <= double(plan.maxAudioBytes))
        return Status::success();
    return Status::failure("the result would pass the 4 GB an AIFF file can hold; choose WAV or FLAC for this source");
}

std::string EncoderPlanner::extensionFor(const OutputSettings& settings)
{
    switch (settings.format) {
    case OutputFormat::Mp3: return "mp3";
    case OutputFormat::Wav: return "wav";
    case OutputFormat::Aiff: return "aiff";
    case OutputFormat::Flac: return "flac";
    case OutputFormat::M4a:
        if (auto o = std::get_if<M4aOptions>(&settings.options))
            return o->extension == 3 ? "mp4" : o->extension == 2 ? "m4r" : o->extension == 1 ? "m4b" : "m4a";
        return "m4a";
    }
    return "out";
}

} // namespace sonvale::engine
