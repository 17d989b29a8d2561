#include "app/preferences/TQAudFormatPanelM4AController.h"

#include "app/preferences/TQAudFormatPanelPopUp.h"
#include "app/preferences/TQAudFormatPanelTexts.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit/TQKitEncoderRules.h"
#include "platform/tqkit/TQM4ASettingsRecord.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

struct CodecRow {
    int32_t code; // 0: a separator
    const char* title;
};

// The codec pop-up's rows; for the life of the process.
constexpr std::array<CodecRow, 6> kCodecs{{
    {kTQM4ACodecAACLC, "AAC LC (Low Complexity AAC)"},
    {0, ""},
    {kTQM4ACodecAACHEv1, "AAC HE v1 (High Efficiency AAC v1)"},
    {kTQM4ACodecAACHEv2, "AAC HE v2 (High Efficiency AAC v2)"},
    {0, ""},
    {kTQM4ACodecALAC, "ALAC (Apple Lossless Audio Codec)"},
}};

constexpr int32_t kVariableMode = 4;
constexpr int32_t kConstantMode = 1;
constexpr int32_t k32BitDepth = 4;

const QString kCodecHelp =
    u"MP4 Codec\n\nSelect desired MP4 codec to encode audio.\n\nAAC LC (AAC Low Complexity) - is the most efficient and "
    u"mostly used AAC profile, which is targeted to high-quality encoding of music and voice. AAC LC provides "
    u"transparent, near-CD quality at 80 kbps for mono and 128 kbps for stereo input.\n\nAAC HE (AAC High Efficiency) "
    u"is the extension of AAC which improves audio quality at lower bitrates, where AAC LC cannot achieve acceptable "
    u"quality.\n\nAAC HE v1 (AAC High Efficiency v1) is targeted to medium-quality encoding at bitrates 24 kbps per "
    u"channel and higher. AAC HE v1 is 30% more efficient than AAC LC. However, it is not a replacement for AAC LC but "
    u"rather its extension and should be audio codec of mobile and broadcasting.\n\nAAC HE v2 (AAC High Efficiency v2) "
    u"improves audio quality for stereo signals at low bitrates, such as 32 kbps for stereo input. HE AAC v2 uses "
    u"Parametric Stereo technology and 50% more efficient than AAC HE v1. AAC HE v2 should be used for mobile, "
    u"broadcasting and other domains where CD-quality is not essential.\n\nALAC (Apple Lossless Audio Codec) is the "
    u"only lossless codec natively supported by Music, iTunes and iOS devices. Users who want to use lossless audio "
    u"with support of metadata in Music or iTunes, have to use this codec. Audio files compressed with ALAC are about "
    u"40% to 60% the size of the originals depending on the kind of audio.\n\nIn this version AAC HE v1 and AAC HE v2 "
    u"are encoded as AAC LC, with the chosen bit rate, sample rate and channels."_s;
const QString kSampleRateHelp =
    TQAudFormatPanelSampleRateHelp(u"8000 - 192000 Hz"_s)
    + u"\n\nWhen selected sample rate is not supported by the selected codec, a closest suitable one will be used for "
      u"conversion."_s;
const QString kExtensionHelp =
    u"File Extension\n\nm4a - stands for MPEG4 Audio. Apple is popularizing the .m4a filename extension, which is used "
    u"for MPEG4 containers with audio data encoded with AAC or ALAC.\n\nmp4 - the standard extension for naming MPEG4 "
    u"files."_s;
const QString kBitDepthHelp =
    u"Bit Depth\n\nAs Source - depending on bit depth of source audio, 16, 24 or 32 bit will be automatically "
    u"selected."_s;
const QString kChannelsHelp = TQAudFormatPanelChannelsHelp();
const QString kChannelsHelpWhenAACHEv2 =
    u"Channels\n\nAAC High Efficiency v2 supports stereo only. If source audio has more than two channels, it will be "
    u"downmixed to a stereo. Source audio having one channel, will be upmixed to a stereo, too. "_s;
const QString kQualityHelp =
    u"Quality\n\nSpecifies the value of VBR quality. Allows to select algorithm allowing to encode audio with best "
    u"quality or with best speed."_s;
const QString kCompressionHelp =
    u"Compression\n\nSpecifies the value of compression level and selects the algorithm allowing to encode audio with "
    u"best compression or with best speed."_s;
const QString kBitRateHelp =
    u"Bit Rate\n\nThe higher the bitrate, the better the quality, but higher bit rates create larger files.\n\n'Auto' "
    u"lets the application to calculate best bit rate of encoded audio depending on bit rate of source files."_s;
const QString kBitRateHelpWhenALAC =
    u"Bit Rate\n\nBit Rate is inapplicable and has no effect when Apple Lossless Audio Codec is selected"_s;
const QString kBitRateModeHelp =
    u"Bit Rate Mode\n\nConstant - recommended for constant-bit-rate network transmission when decoding in real-time a "
    u"fixed end-to-end audio delay. However due to strict constant bit rate constraint, this mode results in lower "
    u"audio quality and higher complexity than other encoding modes.\n\nAverage - recommended for controlling file "
    u"size. Unlike Constant mode, this mode does not provide constant delay when using constant bit rate transmission, "
    u"but this mode provides almost best global quality while still being able to strictly control the resulting file "
    u"size.\n\nVariable - recommended for controlling the audio quality. The audio signal is encoded with constant "
    u"quality and virtually no bit rate constraints. This is the best mode to achieve consistent audio quality with "
    u"the lowest overall bit rate.\n\nIn this version AAC is always encoded with an average bit rate: Constant gives "
    u"the same result as Average."_s;
const QString kBitRateModeHelpWhenALAC =
    u"Bit Rate Mode\n\nBit Rate Mode is inapplicable and has no effect when Apple Lossless Audio Codec is selected"_s;

} // namespace

TQAudFormatPanelM4AController::TQAudFormatPanelM4AController(QObject* parent) : TQAudFormatPanel(parent) {}

TQAudFormatPanelM4AController::~TQAudFormatPanelM4AController() = default;

QWidget* TQAudFormatPanelM4AController::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(u"TQAudFormatPanelM4A"_s);
    format_ = std::make_unique<TQAudFormatPanelPopUp>(u"Codec"_s, u"formatPopupButton"_s, view);
    bitRate_ = std::make_unique<TQAudFormatPanelPopUp>(u"Bit Rate"_s, u"bitRatePopupButton"_s, view);
    bitRateMode_ = std::make_unique<TQAudFormatPanelPopUp>(u"Bit Rate Mode"_s, u"bitRateModePopupButton"_s, view);
    sampleSize_ = std::make_unique<TQAudFormatPanelPopUp>(u"Bit Depth"_s, u"sampleSizePopupButton"_s, view);
    quality_ = std::make_unique<TQAudFormatPanelPopUp>(u"VBR Quality"_s, u"qualityPopupButton"_s, view);
    sampleRate_ = std::make_unique<TQAudFormatPanelPopUp>(u"Sample Rate"_s, u"sampleRatePopupButton"_s, view);
    channels_ = std::make_unique<TQAudFormatPanelPopUp>(u"Channels"_s, u"channelsPopupButton"_s, view);
    extension_ = std::make_unique<TQAudFormatPanelPopUp>(u"File Extension"_s, u"extensionPopupButton"_s, view);

    QList<int> codecValues;
    QStringList codecTitles;
    for (const CodecRow& row : kCodecs) {
        codecValues.append(row.code);
        codecTitles.append(QString::fromUtf8(row.title));
    }
    format_->setItems(codecValues, codecTitles);
    quality_->setItems({1, 2, 3}, {u"Low"_s, u"Medium"_s, u"High"_s});
    sampleSize_->setItems({0, 2, 3, 4}, {u"As Source"_s, u"16 bit"_s, u"24 bit"_s, u"32 bit"_s});
    bitRateMode_->setItems({1, 2, 4}, {u"Constant"_s, u"Average"_s, u"Variable"_s});
    sampleRate_->setItems({0, 8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000, 192000, 384000},
                          {u"As Source"_s, u"8000 Hz"_s, u"11025 Hz"_s, u"16000 Hz"_s, u"22050 Hz"_s, u"32000 Hz"_s,
                           u"44100 Hz"_s, u"48000 Hz"_s, u"96000 Hz"_s, u"192000 Hz"_s, u"384000 Hz"_s});
    channels_->setItems({0, 1, 2}, {u"As Source"_s, u"Mono"_s, u"Stereo"_s});
    extension_->setItems({0, 3, 2, 1}, {u"m4a"_s, u"mp4"_s, u"m4r"_s, u"m4b"_s});

    auto* grid = new QGridLayout(view);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(1, 1);
    format_->addToGrid(grid, 0);
    bitRate_->addToGrid(grid, 1);
    // Bit depth (ALAC) shows where the bit-rate mode (AAC) would, never both at once. Each has a
    // row of its own: a grid spaces a cell by the last widget put in it, shown or not, so two in
    // one cell left the mode's row without its gap; the hidden one's row takes no room.
    bitRateMode_->addToGrid(grid, 2);
    sampleSize_->addToGrid(grid, 3);
    quality_->addToGrid(grid, 4);
    sampleRate_->addToGrid(grid, 5);
    channels_->addToGrid(grid, 6);
    extension_->addToGrid(grid, 7);
    grid->addWidget(makeNoteLabel(view), 8, 0, 1, 2);
    grid->setRowStretch(9, 1);
    // The label column is as wide as its widest text, whichever quality label shows.
    grid->setColumnMinimumWidth(0, quality_->label()->fontMetrics().horizontalAdvance(u"Compression:"_s));

    connect(format_->button(), &TQKitPopUpButton::activated, this, &TQAudFormatPanelM4AController::formatCodecChanged);
    for (TQAudFormatPanelPopUp* popUp : {bitRate_.get(), bitRateMode_.get(), sampleSize_.get(), quality_.get(),
                                         sampleRate_.get(), channels_.get(), extension_.get()})
        connect(popUp->button(), &TQKitPopUpButton::activated, this, &TQAudFormatPanelM4AController::formatItemChanged);

    format_->setAccessibility(u"MP4 Codec"_s, kCodecHelp);
    bitRate_->setAccessibility(u"Bit Rate"_s, kBitRateHelp);
    bitRateMode_->setAccessibility(u"Bit Rate Mode"_s, kBitRateModeHelp);
    quality_->setAccessibility(u"Quality"_s, kQualityHelp);
    channels_->setAccessibility(u"Channels"_s, kChannelsHelp);
    sampleRate_->setAccessibility(u"Sample Rate"_s, kSampleRateHelp);
    extension_->setAccessibility(u"File Extension"_s, kExtensionHelp);
    sampleSize_->setAccessibility(u"Bit Depth"_s, kBitDepthHelp);
    load();
    return view;
}

// --- Codec table ---------------------------------------------------------------------------------

int TQAudFormatPanelM4AController::indexOfSelectedItemSafe() const
{
    return std::clamp(format_->button()->indexOfSelectedItem(), 0, static_cast<int>(kCodecs.size()));
}

int32_t TQAudFormatPanelM4AController::codecOfSelectedItemSafe() const
{
    const int index = indexOfSelectedItemSafe();
    return index < static_cast<int>(kCodecs.size()) ? kCodecs[static_cast<size_t>(index)].code : kTQM4ACodecAACLC;
}

int TQAudFormatPanelM4AController::indexOfCodecSafe(int32_t codec)
{
    switch (codec) {
    case kTQM4ACodecAACHEv1: return 2;
    case kTQM4ACodecAACHEv2: return 3;
    case kTQM4ACodecALAC: return 5;
    case 0: return 1;
    default: return 0;
    }
}

QString TQAudFormatPanelM4AController::nameOfCodecSafe(int32_t codec)
{
    const int index = indexOfCodecSafe(codec);
    return index < static_cast<int>(kCodecs.size()) ? QString::fromUtf8(kCodecs[static_cast<size_t>(index)].title)
                                                    : QString();
}

// --- Sample rate and bit rate --------------------------------------------------------------------

int32_t TQAudFormatPanelM4AController::getSampleRateSelectedSafe() const { return sampleRate_->value(44100); }

void TQAudFormatPanelM4AController::setSampleRateSelectedSafe(int32_t hz) { sampleRate_->showValue(hz, 0); }

void TQAudFormatPanelM4AController::restrictMaxSelectedSampleRate(int32_t maxHz, int32_t minHz)
{
    const QList<int>& rates = sampleRate_->values();
    if (getSampleRateSelectedSafe() > maxHz) {
        int fitting = 0;
        for (int rate : rates) {
            if (rate > maxHz)
                break;
            fitting = rate;
        }
        setSampleRateSelectedSafe(fitting);
    }
    if (const int32_t selected = getSampleRateSelectedSafe(); selected != 0 && selected < minHz) {
        const auto fitting = std::find_if(rates.begin(), rates.end(), [minHz](int rate) { return rate != 0 && rate >= minHz; });
        setSampleRateSelectedSafe(fitting != rates.end() ? *fitting : minHz);
    }
    const QList<QAction*> items = sampleRate_->button()->menu()->actions();
    for (qsizetype i = 0; i < rates.size() && i < items.size(); ++i)
        items[i]->setVisible(rates[i] == 0 || (rates[i] >= minHz && rates[i] <= maxHz));
}

void TQAudFormatPanelM4AController::populateBitRateValuesForCodec(int32_t codec, int32_t currentKbps)
{
    QList<int> rates;
    if (const int32_t* list = TQKitM4ABitRateList(codec)) {
        for (; *list; ++list)
            rates.append(*list);
    } else if (currentKbps != 0) {
        rates.append(currentKbps);
    }
    int32_t target = 0;
    if (currentKbps != 0 && !rates.isEmpty()) {
        target = std::clamp(currentKbps, *std::min_element(rates.begin(), rates.end()),
                            *std::max_element(rates.begin(), rates.end()));
        // A rate between two offered ones is shown as it is and kept, not replaced by "Auto".
        if (!rates.contains(target))
            rates.insert(std::lower_bound(rates.begin(), rates.end(), target), target);
    }
    QList<int> values{0};
    QStringList titles{u"Auto"_s};
    for (int rate : rates) {
        values.append(rate);
        titles.append(QString::number(rate));
    }
    bitRate_->setItems(values, titles);
    bitRate_->showValue(target, 0);
}

// --- Load, save, enable --------------------------------------------------------------------------

void TQAudFormatPanelM4AController::load()
{
    if (!format_) {
        view(); // builds the controls, then loads
        return;
    }
    TQM4ASettingsRecord record;
    TQKitM4ASettingsLoad(&record);
    // A separator row selects nothing: the selection stays as it was.
    if (const int index = indexOfCodecSafe(record.codec); kCodecs[static_cast<size_t>(index)].code != 0)
        format_->button()->selectItemAtIndex(index);
    quality_->showValue(record.quality, 3);
    bitRateMode_->showValue(record.bitRateMode, 2);
    setSampleRateSelectedSafe(record.sampleRate);
    channels_->showValue(record.channels, 0);
    extension_->showValue(record.extension, 0);
    sampleSize_->showValue(record.sampleSize, 0);
    populateBitRateValuesForCodec(codecOfSelectedItemSafe(), record.bitRate);
    enableControls();
}

bool TQAudFormatPanelM4AController::commitEditing()
{
    if (!format_)
        return true;
    TQM4ASettingsRecord record;
    TQKitM4ASettingsLoad(&record);
    // Hidden and disabled controls are saved with what they show; one without a selection leaves
    // its field as stored.
    record.codec = codecOfSelectedItemSafe();
    record.quality = quality_->value(record.quality);
    record.bitRateMode = bitRateMode_->value(record.bitRateMode);
    record.channels = static_cast<uint8_t>(channels_->value(record.channels));
    record.extension = extension_->value(record.extension);
    record.sampleSize = sampleSize_->value(record.sampleSize);
    record.sampleRate = sampleRate_->value(record.sampleRate);
    record.bitRate = bitRate_->value(record.bitRate);
    TQKitM4ASettingsSave(&record);
    return true;
}

void TQAudFormatPanelM4AController::enableControls()
{
    const int32_t codec = codecOfSelectedItemSafe();
    const bool alac = codec == kTQM4ACodecALAC;
    const bool heV2 = codec == kTQM4ACodecAACHEv2;
    channels_->setEnabled(!heV2);
    channels_->setHelp(heV2 ? kChannelsHelpWhenAACHEv2 : kChannelsHelp);
    restrictMaxSelectedSampleRate(TQKitM4ASampleRateLimit(codec, 0xFFFFFF), TQKitM4ASampleRateLimit(codec, 1000));
    quality_->label()->setText(alac ? u"Compression:"_s : u"VBR Quality:"_s);

    bitRate_->setEnabled(!alac);
    bitRateMode_->setEnabled(!alac);
    bitRate_->setVisible(!alac);
    bitRateMode_->setVisible(!alac);
    sampleSize_->setVisible(alac);
    const int32_t mode = bitRateMode_->value(0);
    quality_->setVisible(alac || mode == kVariableMode);
    quality_->setHelp(alac ? kCompressionHelp : kQualityHelp);
    bitRateMode_->setHelp(alac ? kBitRateModeHelpWhenALAC : kBitRateModeHelp);
    bitRate_->setHelp(alac ? kBitRateHelpWhenALAC : kBitRateHelp);

    // What the encoder makes of choices it can't follow to the letter.
    QStringList notes;
    if (codec == kTQM4ACodecAACHEv1 || heV2)
        notes.append(format_->button()->selectedItem()->text().section(u" ("_s, 0, 0)
                     + u" is encoded as AAC LC here."_s);
    if (heV2)
        notes.append(u"The result is always stereo."_s);
    if (!alac && mode == kConstantMode)
        notes.append(u"AAC is always encoded at an average bit rate here: Constant gives the same file as Average."_s);
    if (alac && sampleSize_->value(0) == k32BitDepth)
        notes.append(u"ALAC is encoded with 24 bits at most."_s);
    setNote(notes.join(u' '));
}

void TQAudFormatPanelM4AController::resetPreferences()
{
    TQKitM4ASettingsReset();
    load();
}

// --- Actions -------------------------------------------------------------------------------------

void TQAudFormatPanelM4AController::formatCodecChanged()
{
    // The shown rate stays when the new codec offers it and is clamped to its range otherwise.
    populateBitRateValuesForCodec(codecOfSelectedItemSafe(), bitRate_->value(0));
    formatItemChanged();
}

void TQAudFormatPanelM4AController::formatItemChanged()
{
    enableControls();
    commitEditing();
}
