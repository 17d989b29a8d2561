#include "app/preferences/TQAudFormatPanelMP3Controller.h"

#include "app/preferences/TQAudFormatPanelPopUp.h"
#include "app/preferences/TQAudFormatPanelTexts.h"
#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit/TQKitEncoderRules.h"
#include "platform/tqkit/TQMP3SettingsRecord.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// All three MPEG versions, as the panel hands them to TQKitMP3BitRateRangeAdjust.
constexpr uint32_t kAllMPEGVersions = 31;

const QList<int> kBitRates{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

QStringList numbers(const QList<int>& values)
{
    QStringList titles;
    for (int value : values)
        titles.append(QString::number(value));
    return titles;
}

const QString kCBRRadioHelp =
    u"Constant Bit Rate\n\nSelect this option to use Constant Bit Rate (CBR) for encoding. CBR means the bit rate is "
    u"a constant, regardless of the complexity of the audio being encoded.\n\nAdvantages:\n - easy to control the "
    u"size and quality of a file.\n - easy to stream.\n - full compatibility with hardware and software MP3 players."
    u"\n\nDisadvantages:\n - use of high bit rate can result in creation of large files.\n - unless high bit rate is "
    u"in use, audio quality can suffer."_s;
const QString kVBRRadioHelp =
    u"Variable Bit Rate\n\nSelect this option to use Variable Bit Rate (VBR) for encoding. VBR means that bit rate "
    u"varies throughout the audio, between low and high bit rates depending on the complexity of the audio at given "
    u"moment. VBR is more efficient than CBR, and can therefore deliver audio of comparable quality in a smaller "
    u"size.\n\nAdvantages:\n - easy to create high quality audio with smaller size.\n - high bit rates don't "
    u"necessarily result in creation of large files.\n\nDisadvantages:\n - impossibility to stream.\n - partial "
    u"compatibility with hardware and software MP3 players.\n - difficult to control the size of output audio."_s;
const QString kCRCHelp =
    u"Cyclic Redundancy Check (CRC)\n\nCheck this option to enable CRC error protection. CRC code or checksum is added "
    u"to each frame of encoded audio, allowing to detect transmission errors that could occur on the MP3 stream.\n\n"
    u"It is responsibility of player or receiver to check CRC codes, and many players just ignore them."_s;
const QString kSampleRateHelp =
    TQAudFormatPanelSampleRateHelp(u"8000 - 48000 Hz"_s)
    + u"\n\nSample Rate depends on Constant Bit Rate or Variable Bit Rate and can be changed to the best value "
      u"corresponding to selected or automatically detected Bit Rate."_s;
const QString kChannelsHelp =
    u"Channels\n\nAs Source - Mono or Stereo will be used depending on channels of source audio. MP3 format does not "
    u"allow to hold more than two channels, so source audio with more than two channels will be downmixed to stereo."
    u"\n\nStereo - the encoder makes no use of potentially existing correlations between the two input channels. It "
    u"can, however, negotiate the bit demand between both channels, i.e. give one channel more bits if the other "
    u"contains silence.\n\nJoint - takes advantage on similarity of two channels and uses the savings on the second "
    u"channel to give higher quality compression. This method gives smaller files, but stereo image can be distorted "
    u"in encoded audio.\n\nDual - forces separate encoding of left and right channels. Each channel will have exactly "
    u"half of the bitrate. This mode is designed for applications like dual languages encoding (for example: English "
    u"in one channel and French in the other). Using this encoding mode for regular stereo audio will result in a "
    u"lower quality encoding.\n\nMono  - this option will generate a mono audio. If the source audio has more than one "
    u"channel, it will be downmixed to a mono. Mono is to be used automatically when the constant or minimal Bit Rate "
    u"is less than 24 kbps"_s;
const QString kTagFormatHelp =
    u"Tags Format\n\nID3v2.4 - encoded MP3 files will contain ID3v2.4 tags only.\n\nID3v2.4, ID3v1 - encoded MP3 files "
    u"will contain both ID3v2.4 and ID3v1 tags.\n\nThis setting has no effect when option 'Strip tags from converted "
    u"files' is enabled in Settings / Tags"_s;
const QString kCBRHelp =
    u"Constant Bit Rate\n\nThe higher the bitrate, the better the quality, but higher bit rates create larger files.\n\n"
    u"'Auto' lets the application to calculate best bit rate of encoded audio depending on bit rate of source files."
    u"\n\n16-64 kbps are used primarily for voice, which does not require a high bandwidth.\n\n128 kbps may be the "
    u"only option for some car players. Many CD car players may not playback MP3 files with bit rates higher than 128 "
    u"kbps.\n\n128-256 kbps is deemed to be of ‘near CD quality’ and may give the best quality of encoded audio. The "
    u"difference between 256 and 320 kbit is unnoticeable for majority of listeners."_s;
const QString kCBRQualityHelp =
    u"CBR Quality\n\nCheck this option to encode audio with higher quality, but at lower speed of conversion."_s;
const QString kVBRMinHelp =
    u"Low Bit Rate\n\nThe higher the bitrate, the better the quality, but higher bit rates create larger files."_s;
const QString kVBRMaxHelp =
    u"High Bit Rate\n\nThe higher the bitrate, the better the quality, but higher bit rates create larger files."_s;
const QString kVBRQualityHelp =
    u"VBR Quality\n\nSpecifies the value of VBR quality. Allows to select algorithm allowing to encode audio with best "
    u"quality or with best speed."_s;

QGridLayout* panelGrid(QWidget* panel)
{
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(1, 1);
    return grid;
}

} // namespace

TQAudFormatPanelMP3Controller::TQAudFormatPanelMP3Controller(QObject* parent) : TQAudFormatPanel(parent) {}

TQAudFormatPanelMP3Controller::~TQAudFormatPanelMP3Controller() = default;

QWidget* TQAudFormatPanelMP3Controller::makeCBRSettings(QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(u"bitrateCBRSettings"_s);
    panel->setProperty("identifier", QString::number(kCBRTag));
    bitrateCBR_ = std::make_unique<TQAudFormatPanelPopUp>(u"Bit Rate"_s, u"bitrateCBRPopupButton"_s, panel);
    QList<int> values = kBitRates;
    values.prepend(0);
    QStringList titles = numbers(kBitRates);
    titles.prepend(u"Auto"_s);
    bitrateCBR_->setItems(values, titles);
    cbrHighQuality_ = new QCheckBox(u"High quality (slower)"_s, panel);
    cbrHighQuality_->setObjectName(u"cbrHighQuality"_s);
    QGridLayout* grid = panelGrid(panel);
    bitrateCBR_->addToGrid(grid, 0);
    grid->addWidget(cbrHighQuality_, 1, 1);
    connect(bitrateCBR_->button(), &TQKitPopUpButton::activated, this, &TQAudFormatPanelMP3Controller::bitRateCBRChanged);
    connect(cbrHighQuality_, &QCheckBox::clicked, this, &TQAudFormatPanelMP3Controller::clickStubWithSaveEditing);
    return panel;
}

QWidget* TQAudFormatPanelMP3Controller::makeVBRSettings(QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(u"bitrateVBRSettings"_s);
    panel->setProperty("identifier", QString::number(kVBRTag));
    bitrateVBRMin_ = std::make_unique<TQAudFormatPanelPopUp>(u"Low Bit Rate"_s, u"bitrateVBRMinPopupButton"_s, panel);
    bitrateVBRMax_ = std::make_unique<TQAudFormatPanelPopUp>(u"High Bit Rate"_s, u"bitrateVBRMaxPopupButton"_s, panel);
    bitrateVBRQuality_ =
        std::make_unique<TQAudFormatPanelPopUp>(u"VBR Quality"_s, u"bitrateVBRQualityPopupButton"_s, panel);
    bitrateVBRMin_->setItems(kBitRates, numbers(kBitRates));
    bitrateVBRMax_->setItems(kBitRates, numbers(kBitRates));
    bitrateVBRQuality_->setItems({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {u"0 (Best Quality)"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s,
                                                                   u"5"_s, u"6"_s, u"7"_s, u"8"_s, u"9 (Best Speed)"_s});
    QGridLayout* grid = panelGrid(panel);
    bitrateVBRMin_->addToGrid(grid, 0);
    bitrateVBRMax_->addToGrid(grid, 1);
    bitrateVBRQuality_->addToGrid(grid, 2);
    for (TQAudFormatPanelPopUp* bound : {bitrateVBRMin_.get(), bitrateVBRMax_.get()})
        connect(bound->button(), &TQKitPopUpButton::activated, this, &TQAudFormatPanelMP3Controller::bitRateVBRChanged);
    connect(bitrateVBRQuality_->button(), &TQKitPopUpButton::activated, this,
            &TQAudFormatPanelMP3Controller::clickStubWithSaveEditing);
    return panel;
}

QWidget* TQAudFormatPanelMP3Controller::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(u"TQAudFormatPanelMP3"_s);
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);

    bitrateCBRButton_ = new QRadioButton(u"Constant Bit Rate (CBR)"_s, view);
    bitrateCBRButton_->setObjectName(u"bitrateCBRButton"_s);
    bitrateVBRButton_ = new QRadioButton(u"Variable Bit Rate (VBR)"_s, view);
    bitrateVBRButton_->setObjectName(u"bitrateVBRButton"_s);
    bitrateRadio_ = new QButtonGroup(view);
    bitrateRadio_->addButton(bitrateCBRButton_, kCBRTag);
    bitrateRadio_->addButton(bitrateVBRButton_, kVBRTag);
    TQKitSetAccessibilityHelp(bitrateCBRButton_, kCBRRadioHelp);
    TQKitSetAccessibilityHelp(bitrateVBRButton_, kVBRRadioHelp);
    connect(bitrateRadio_, &QButtonGroup::idClicked, this, &TQAudFormatPanelMP3Controller::bitrateRadioClick);
    auto* radio = new QHBoxLayout;
    radio->addWidget(bitrateCBRButton_);
    radio->addWidget(bitrateVBRButton_);
    radio->addStretch(1);
    layout->addLayout(radio);

    // The two sub-panels share one place, which takes the height of the one shown, so that the
    // common controls follow the bit-rate controls without a gap.
    auto* place = new QWidget(view);
    place->setObjectName(u"panelPlaceholder"_s);
    auto* placeLayout = new QGridLayout(place);
    placeLayout->setContentsMargins(0, 0, 0, 0);
    bitrateCBRSettings_ = makeCBRSettings(place);
    bitrateVBRSettings_ = makeVBRSettings(place);
    placeLayout->addWidget(bitrateCBRSettings_, 0, 0);
    placeLayout->addWidget(bitrateVBRSettings_, 0, 0);
    panels_ = {bitrateCBRSettings_, bitrateVBRSettings_};
    layout->addWidget(place);

    auto* common = new QWidget(view);
    QGridLayout* grid = panelGrid(common);
    sampleRate_ = std::make_unique<TQAudFormatPanelPopUp>(u"Sample Rate"_s, u"sampleRatePopupButton"_s, common);
    channels_ = std::make_unique<TQAudFormatPanelPopUp>(u"Channels"_s, u"channelsPopupButton"_s, common);
    tagFormat_ = std::make_unique<TQAudFormatPanelPopUp>(u"Tags Format"_s, u"tagFormatPopupButton"_s, common);
    sampleRate_->setItems({0, 8000, 11025, 22050, 44100, 48000},
                          {u"As Source"_s, u"8000 Hz"_s, u"11025 Hz"_s, u"22050 Hz"_s, u"44100 Hz"_s, u"48000 Hz"_s});
    channels_->setItems({4, 0, 1, 2, 3}, {u"As Source"_s, u"Stereo"_s, u"Joint"_s, u"Dual"_s, u"Mono"_s});
    tagFormat_->setItems({3, 1, 2, 0}, {u"ID3v2.3"_s, u"ID3v2.4"_s, u"ID3v2.3, ID3v1"_s, u"ID3v2.4, ID3v1"_s});
    sampleRate_->addToGrid(grid, 0);
    channels_->addToGrid(grid, 1);
    tagFormat_->addToGrid(grid, 2);
    genUseCRC_ = new QCheckBox(u"Error protection (CRC)"_s, common);
    genUseCRC_->setObjectName(u"genUseCRC"_s);
    grid->addWidget(genUseCRC_, 3, 1);
    grid->addWidget(makeNoteLabel(common), 4, 0, 1, 2);
    layout->addWidget(common);
    layout->addStretch(1);
    connect(sampleRate_->button(), &TQKitPopUpButton::activated, this, &TQAudFormatPanelMP3Controller::sampleRateChanged);
    for (TQAudFormatPanelPopUp* popUp : {channels_.get(), tagFormat_.get()})
        connect(popUp->button(), &TQKitPopUpButton::activated, this,
                &TQAudFormatPanelMP3Controller::clickStubWithSaveEditing);
    connect(genUseCRC_, &QCheckBox::clicked, this, &TQAudFormatPanelMP3Controller::clickStubWithSaveEditing);

    // The bit-rate columns line up across both sub-panels and the common part.
    const int labelWidth = std::max({bitrateCBR_->label()->sizeHint().width(), bitrateVBRMax_->label()->sizeHint().width(),
                                     bitrateVBRQuality_->label()->sizeHint().width(),
                                     tagFormat_->label()->sizeHint().width(), sampleRate_->label()->sizeHint().width()});
    for (QGridLayout* g : {grid, qobject_cast<QGridLayout*>(bitrateCBRSettings_->layout()),
                           qobject_cast<QGridLayout*>(bitrateVBRSettings_->layout())})
        g->setColumnMinimumWidth(0, labelWidth);

    showPanel(QString::number(kCBRTag));
    load();
    TQKitSetAccessibilityHelp(genUseCRC_, kCRCHelp);
    sampleRate_->setAccessibility(u"Sample Rate"_s, kSampleRateHelp);
    channels_->setAccessibility(u"Channels"_s, kChannelsHelp);
    tagFormat_->setAccessibility(u"Tags Format"_s, kTagFormatHelp);
    return view;
}

// --- Sub-panels ----------------------------------------------------------------------------------

void TQAudFormatPanelMP3Controller::showPanel(const QString& identifier)
{
    if (QAbstractButton* button = bitrateRadio_->button(identifier.toInt()); button && !button->isChecked())
        button->setChecked(true);
    for (QWidget* panel : panels_) {
        const bool matches = panel->property("identifier").toString().compare(identifier, Qt::CaseInsensitive) == 0;
        panel->setHidden(!matches);
        if (matches)
            setSubPanelAccessibility(panel);
    }
}

void TQAudFormatPanelMP3Controller::setSubPanelAccessibility(QWidget* panel)
{
    if (panel == bitrateCBRSettings_) {
        bitrateCBR_->setAccessibility(u"Constant Bit Rate"_s, kCBRHelp);
        TQKitSetAccessibilityHelp(cbrHighQuality_, kCBRQualityHelp);
    } else {
        bitrateVBRMin_->setAccessibility(u"Low Bit Rate"_s, kVBRMinHelp);
        bitrateVBRMax_->setAccessibility(u"High Bit Rate"_s, kVBRMaxHelp);
        bitrateVBRQuality_->setAccessibility(u"VBR Quality"_s, kVBRQualityHelp);
    }
}

bool TQAudFormatPanelMP3Controller::isCBR() const { return bitrateCBRSettings_ && !bitrateCBRSettings_->isHidden(); }

void TQAudFormatPanelMP3Controller::setCBR(bool cbr) { showPanel(QString::number(cbr ? kCBRTag : kVBRTag)); }

// --- Values --------------------------------------------------------------------------------------

int32_t TQAudFormatPanelMP3Controller::getSampleRate() const { return sampleRate_->value(0); }
void TQAudFormatPanelMP3Controller::setSampleRate(int32_t hz) { sampleRate_->showValue(hz, 0); }
int32_t TQAudFormatPanelMP3Controller::getCBRBitRate() const { return bitrateCBR_->value(0); }
void TQAudFormatPanelMP3Controller::setCBRBitRate(int32_t kbps) { bitrateCBR_->showValue(kbps, 320); }
int32_t TQAudFormatPanelMP3Controller::getVBRMinBitRate() const { return bitrateVBRMin_->value(64); }
void TQAudFormatPanelMP3Controller::setVBRMinBitRate(int32_t kbps) { bitrateVBRMin_->showValue(kbps, 64); }
int32_t TQAudFormatPanelMP3Controller::getVBRMaxBitRate() const { return bitrateVBRMax_->value(320); }
void TQAudFormatPanelMP3Controller::setVBRMaxBitRate(int32_t kbps) { bitrateVBRMax_->showValue(kbps, 320); }
int32_t TQAudFormatPanelMP3Controller::getChannelMode() const { return channels_->value(4); }
void TQAudFormatPanelMP3Controller::setChannelMode(int32_t mode) { channels_->showValue(mode, 4); }
int32_t TQAudFormatPanelMP3Controller::metadataFormat() const { return tagFormat_->value(1); }
void TQAudFormatPanelMP3Controller::setMetadataFormat(int32_t format) { tagFormat_->showValue(format, 1); }

// --- Load and save -------------------------------------------------------------------------------

void TQAudFormatPanelMP3Controller::load()
{
    if (!bitrateRadio_) {
        view(); // builds the controls, then loads
        return;
    }
    TQMP3SettingsRecord record;
    TQKitMP3SettingsLoad(&record);
    setCBR(record.cbr);
    cbrHighQuality_->setChecked(record.cbrHighQuality);
    setCBRBitRate(record.cbrBitRate);
    setVBRMinBitRate(record.vbrMinBitRate);
    setVBRMaxBitRate(record.vbrMaxBitRate);
    setSampleRate(record.sampleRate);
    bitrateVBRQuality_->button()->selectItemAtIndex(record.vbrQuality);
    genUseCRC_->setChecked(record.useCRC);
    setChannelMode(record.channelMode);
    setMetadataFormat(record.metadataFormat);
    enableControls();
}

bool TQAudFormatPanelMP3Controller::commitEditing()
{
    if (!bitrateRadio_)
        return true;
    TQMP3SettingsRecord record;
    TQKitMP3SettingsLoad(&record);
    record.cbr = isCBR();
    record.cbrHighQuality = cbrHighQuality_->isChecked();
    record.cbrBitRate = getCBRBitRate();
    record.vbrMinBitRate = std::min(getVBRMinBitRate(), getVBRMaxBitRate());
    record.vbrMaxBitRate = std::max(getVBRMinBitRate(), getVBRMaxBitRate());
    TQKitMP3BitRateRangeAdjust(kAllMPEGVersions, &record.vbrMinBitRate, &record.vbrMaxBitRate);
    // Nothing selected keeps the stored quality.
    record.vbrQuality = static_cast<uint8_t>(bitrateVBRQuality_->value(record.vbrQuality));
    record.useCRC = genUseCRC_->isChecked();
    record.sampleRate = getSampleRate();
    record.channelMode = getChannelMode();
    record.metadataFormat = metadataFormat();
    if (TQKitMP3SettingsChanged(&record))
        TQKitMP3SettingsSave(&record);
    return true;
}

void TQAudFormatPanelMP3Controller::enableControls()
{
    const int32_t deciding = isCBR() ? getCBRBitRate() : std::min(getVBRMinBitRate(), getVBRMaxBitRate());
    const bool stereoAllowed = deciding == 0 || deciding >= 24;
    channels_->setEnabled(stereoAllowed);
    setNote(stereoAllowed ? QString() : u"Below 24 kbps the result is mono."_s);
}

void TQAudFormatPanelMP3Controller::resetPreferences()
{
    TQKitMP3SettingsReset();
    load();
}

// --- Actions -------------------------------------------------------------------------------------

void TQAudFormatPanelMP3Controller::bitrateRadioClick()
{
    showPanel(QString::number(bitrateRadio_->checkedId()));
    clickStubWithSaveEditing();
}

void TQAudFormatPanelMP3Controller::sampleRateChanged()
{
    TQMP3SettingsRecord record;
    TQKitMP3SettingsLoad(&record);
    record.sampleRate = getSampleRate();
    if (TQKitMP3BitRatesFitSampleRate(&record)) {
        if (record.cbr) {
            setCBRBitRate(record.cbrBitRate);
        } else {
            setVBRMinBitRate(record.vbrMinBitRate);
            setVBRMaxBitRate(record.vbrMaxBitRate);
        }
    }
    clickStubWithSaveEditing();
}

void TQAudFormatPanelMP3Controller::bitRateCBRChanged()
{
    fitSampleRateToBitRates([this](TQMP3SettingsRecord& record) { record.cbrBitRate = getCBRBitRate(); });
}

void TQAudFormatPanelMP3Controller::bitRateVBRChanged()
{
    fitSampleRateToBitRates([this](TQMP3SettingsRecord& record) {
        record.vbrMinBitRate = getVBRMinBitRate();
        record.vbrMaxBitRate = getVBRMaxBitRate();
    });
}

void TQAudFormatPanelMP3Controller::fitSampleRateToBitRates(
    const std::function<void(TQMP3SettingsRecord&)>& putShownBitRates)
{
    if (int32_t sampleRate = getSampleRate(); sampleRate != 0) {
        TQMP3SettingsRecord record;
        TQKitMP3SettingsLoad(&record);
        putShownBitRates(record);
        // As the source counts as one channel.
        const uint8_t channels = record.channelMode >= 0 && record.channelMode <= 2 ? 2 : 1;
        const int32_t before = sampleRate;
        TQKitMP3SampleRateFitBitRate(&record, &sampleRate, &channels);
        if (sampleRate != before)
            setSampleRate(sampleRate);
    }
    clickStubWithSaveEditing();
}

void TQAudFormatPanelMP3Controller::clickStubWithSaveEditing()
{
    commitEditing();
    enableControls();
}
