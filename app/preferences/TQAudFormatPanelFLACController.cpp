#include "app/preferences/TQAudFormatPanelFLACController.h"

#include "app/preferences/TQAudFormatPanelPopUp.h"
#include "app/preferences/TQAudFormatPanelTexts.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit/TQFLACSettingsRecord.h"

#include <QGridLayout>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

using namespace Qt::StringLiterals;

TQAudFormatPanelFLACController::TQAudFormatPanelFLACController(QObject* parent) : TQAudFormatPanel(parent) {}

TQAudFormatPanelFLACController::~TQAudFormatPanelFLACController() = default;

QWidget* TQAudFormatPanelFLACController::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(u"TQAudFormatPanelFLAC"_s);
    compressionLevel_ = std::make_unique<TQAudFormatPanelPopUp>(u"Compression"_s, u"compressionLevelPopupButton"_s, view);
    sampleSize_ = std::make_unique<TQAudFormatPanelPopUp>(u"Bit Depth"_s, u"sampleSizePopupButton"_s, view);
    sampleRate_ = std::make_unique<TQAudFormatPanelPopUp>(u"Sample Rate"_s, u"sampleRatePopupButton"_s, view);
    channels_ = std::make_unique<TQAudFormatPanelPopUp>(u"Channels"_s, u"channelsPopupButton"_s, view);
    tagsFormat_ = std::make_unique<TQAudFormatPanelPopUp>(u"Tags Format"_s, u"tagsFormatPopupButton"_s, view);

    compressionLevel_->setItems({1, 2, 3}, {u"Low"_s, u"Medium"_s, u"High"_s});
    sampleSize_->setItems({0, 1, 2, 3}, {u"As Source"_s, u"8 bit"_s, u"16 bit"_s, u"24 bit"_s});
    sampleRate_->setItems({0, 8000, 11025, 16000, 22050, 44100, 48000, 96000, 192000, 384000},
                          {u"As Source"_s, u"8000 Hz"_s, u"11025 Hz"_s, u"16000 Hz"_s, u"22050 Hz"_s, u"44100 Hz"_s,
                           u"48000 Hz"_s, u"96000 Hz"_s, u"192000 Hz"_s, u"384000 Hz"_s});
    channels_->setItems({0, 1, 2}, {u"As Source"_s, u"Mono"_s, u"Stereo"_s});
    tagsFormat_->setItems({0, 2, 1}, {u"Vorbis"_s, u"Vorbis, ID3v2.3"_s, u"Vorbis, ID3v2.4"_s});

    auto* grid = new QGridLayout(view);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(1, 1);
    int row = 0;
    for (TQAudFormatPanelPopUp* popUp :
         {compressionLevel_.get(), sampleSize_.get(), sampleRate_.get(), channels_.get(), tagsFormat_.get()}) {
        popUp->addToGrid(grid, row++);
        QObject::connect(popUp->button(), &TQKitPopUpButton::activated, this,
                         &TQAudFormatPanelFLACController::formatItemChanged);
    }
    grid->addWidget(makeNoteLabel(view), row++, 0, 1, 2);
    grid->setRowStretch(row, 1);

    compressionLevel_->setAccessibility(
        u"Compression"_s, u"Compression\n\nSpecifies the value of compression level and selects the algorithm allowing "
                          u"to encode audio with best compression or with best speed."_s);
    channels_->setAccessibility(u"Channels"_s, TQAudFormatPanelChannelsHelp());
    sampleRate_->setAccessibility(u"Sample Rate"_s, TQAudFormatPanelSampleRateHelp(u"8000 - 384000 Hz"_s));
    sampleSize_->setAccessibility(u"Bit Depth"_s, u"Bit Depth\n\nAs Source - depending on bit depth of source audio, "
                                                  u"8, 16 or 24 bits will be automatically selected."_s);
    tagsFormat_->setAccessibility(
        u"Tags Format"_s,
        u"Tags Format\n\nVorbis - encoded FLAC files will contain Vorbis tags only.\n\nVorbis, ID3v2.4 - encoded FLAC "
        u"files will contain both Vorbis and ID3v2.4 tags.\n\nThis setting has no effect when option 'Strip tags from "
        u"converted files' is enabled in Settings / Tags"_s);
    load();
    return view;
}

void TQAudFormatPanelFLACController::load()
{
    if (!compressionLevel_) {
        view(); // builds the controls, then loads
        return;
    }
    TQFLACSettingsRecord record;
    TQKitFLACSettingsLoad(&record);
    compressionLevel_->showValue(record.compressionLevel, 2);
    channels_->showValue(record.channels, 0);
    sampleRate_->showValue(record.sampleRate, 0);
    sampleSize_->showValue(record.sampleSize, 0);
    tagsFormat_->showValue(record.tagsFormat, 0);
    enableControls();
}

bool TQAudFormatPanelFLACController::commitEditing()
{
    if (!compressionLevel_)
        return true;
    TQFLACSettingsRecord record;
    TQKitFLACSettingsLoad(&record);
    // A pop-up without a selection leaves its field as stored; the retained field stays as loaded.
    record.compressionLevel = compressionLevel_->value(record.compressionLevel);
    record.channels = static_cast<uint8_t>(channels_->value(record.channels));
    record.sampleRate = sampleRate_->value(record.sampleRate);
    record.sampleSize = sampleSize_->value(record.sampleSize);
    record.tagsFormat = tagsFormat_->value(record.tagsFormat);
    TQKitFLACSettingsSave(&record);
    return true;
}

void TQAudFormatPanelFLACController::enableControls()
{
    // A choice with ID3v2 needs the wider pop-up; otherwise it lines up with the sample rate's.
    const int format = tagsFormat_->value(0);
    QWidget* tags = tagsFormat_->button();
    const int target = format == 1 || format == 2 ? std::max(kWideTagsFormatWidth, tags->sizeHint().width())
                                                  : sampleRate_->button()->sizeHint().width();
    if (std::abs(tags->width() - target) > 1 || tags->minimumWidth() != target)
        tags->setFixedWidth(target);
    setNote(sampleSize_->value(0) == 1 ? u"FLAC is encoded with 16 bits at least: 8 bit gives 16-bit files."_s
                                       : QString());
}

void TQAudFormatPanelFLACController::resetPreferences()
{
    TQKitFLACSettingsReset();
    load();
}

void TQAudFormatPanelFLACController::formatItemChanged()
{
    enableControls();
    commitEditing();
}
