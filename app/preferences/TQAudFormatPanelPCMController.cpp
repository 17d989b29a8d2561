#include "app/preferences/TQAudFormatPanelPCMController.h"

#include "app/preferences/TQAudFormatPanelPopUp.h"
#include "app/preferences/TQAudFormatPanelTexts.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit/TQKitEncoderRules.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

const QString kTagsFormatHelp =
    u"Tags Format\n\nID3v2.4, Info - output WAV file will contain metadata both in WAV Info and ID3v2.4 formats.\n\n"
    u"ID3v2.4 - output WAV file will contain metadata in ID3v2.4 format only.\n\nInfo - output WAV file will contain "
    u"metadata in WAV Info format only. Please note, the WAV Info format is limited and cannot hold artworks and the "
    u"majority of text tags.\n\nThis setting has no effect when option 'Strip tags from converted files' is enabled "
    u"in Settings / Tags"_s;

} // namespace

TQAudFormatPanelPCMController::TQAudFormatPanelPCMController(const QString& name, QList<Codec> codecs, bool hasTags,
                                                             QObject* parent)
    : TQAudFormatPanel(parent), name_(name), codecs_(std::move(codecs)), hasTags_(hasTags)
{
}

TQAudFormatPanelPCMController::~TQAudFormatPanelPCMController() = default;

QWidget* TQAudFormatPanelPCMController::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(u"TQAudFormatPanel"_s + name_);
    format_ = std::make_unique<TQAudFormatPanelPopUp>(u"Codec"_s, u"formatPopupButton"_s, view);
    sampleRate_ = std::make_unique<TQAudFormatPanelPopUp>(u"Sample Rate"_s, u"sampleRatePopupButton"_s, view);
    channels_ = std::make_unique<TQAudFormatPanelPopUp>(u"Channels"_s, u"channelsPopupButton"_s, view);
    if (hasTags_)
        tagsFormat_ = std::make_unique<TQAudFormatPanelPopUp>(u"Tags Format"_s, u"tagsFormatPopupButton"_s, view);

    QList<int> codecValues;
    QStringList codecTitles;
    for (const Codec& codec : codecs_) {
        codecValues.append(codec.code);
        codecTitles.append(codec.title);
    }
    format_->setItems(codecValues, codecTitles);
    sampleRate_->setItems({0, 8000, 11025, 16000, 22050, 44100, 48000, 96000, 192000},
                          {u"As Source"_s, u"8000 Hz"_s, u"11025 Hz"_s, u"16000 Hz"_s, u"22050 Hz"_s, u"44100 Hz"_s,
                           u"48000 Hz"_s, u"96000 Hz"_s, u"192000 Hz"_s});
    channels_->setItems({0, 1, 2}, {u"As Source"_s, u"Mono"_s, u"Stereo"_s});
    if (tagsFormat_)
        tagsFormat_->setItems({4, 2, 3, 0, 1},
                              {u"ID3v2.3"_s, u"ID3v2.4"_s, u"ID3v2.3, Info"_s, u"ID3v2.4, Info"_s, u"Info"_s});

    auto* grid = new QGridLayout(view);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(1, 1);
    int row = 0;
    for (TQAudFormatPanelPopUp* popUp : {format_.get(), sampleRate_.get(), channels_.get(), tagsFormat_.get()}) {
        if (!popUp)
            continue;
        popUp->addToGrid(grid, row++);
        QObject::connect(popUp->button(), &TQKitPopUpButton::activated, this,
                         &TQAudFormatPanelPCMController::formatItemChanged);
    }
    grid->addWidget(makeNoteLabel(view), row++, 0, 1, 2);
    grid->setRowStretch(row, 1);

    load();
    format_->setAccessibility(name_ + u" Codec"_s,
                              name_ + u" Codec\n\nSelect desired "_s + name_
                                  + u" codec to encode audio.\n\nAutomatic Selection - depending on bit depth of source "
                                    u"audio, 'PCM 8 Bit', 'PCM 16 Bit', 'PCM 24 Bit' or 'PCM 32 Bit' codec will be "
                                    u"automatically selected."_s);
    channels_->setAccessibility(u"Channels"_s, TQAudFormatPanelChannelsHelp());
    sampleRate_->setAccessibility(u"Sample Rate"_s, TQAudFormatPanelSampleRateHelp(u"8000 - 192000 Hz"_s));
    if (tagsFormat_)
        tagsFormat_->setAccessibility(u"Tags Format"_s, kTagsFormatHelp);
    return view;
}

void TQAudFormatPanelPCMController::load()
{
    if (!format_) {
        view(); // builds the controls, then loads
        return;
    }
    const Options options = loadOptions();
    format_->showValue(options.codec, 0);
    sampleRate_->showValue(options.sampleRate, 0);
    channels_->showValue(options.channels, 0);
    if (tagsFormat_)
        tagsFormat_->showValue(options.tagsFormat, 0);
    enableControls();
}

bool TQAudFormatPanelPCMController::commitEditing()
{
    if (!format_)
        return true;
    Options options = loadOptions();
    // A pop-up without a selection leaves its field as stored.
    options.codec = format_->value(options.codec);
    options.sampleRate = sampleRate_->value(options.sampleRate);
    options.channels = static_cast<uint8_t>(channels_->value(options.channels));
    if (tagsFormat_)
        options.tagsFormat = tagsFormat_->value(options.tagsFormat);
    saveOptions(options);
    return true;
}

void TQAudFormatPanelPCMController::enableControls()
{
    const int codec = format_->value(0);
    const bool monoOnly = codec != 0 && TQKitCodecChannelLimit(codec, 2) == 1;
    channels_->setVisible(!monoOnly);
    setNote(monoOnly ? format_->button()->selectedItem()->text() + u" is always encoded in mono at 8000 Hz."_s
                     : QString());
}

void TQAudFormatPanelPCMController::resetPreferences()
{
    resetOptions();
    load();
}

void TQAudFormatPanelPCMController::formatItemChanged()
{
    enableControls();
    commitEditing();
}
