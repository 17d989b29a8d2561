#pragma once

#include "app/preferences/TQAudFormatPanel.h"

#include <cstdint>
#include <memory>

class TQAudFormatPanelPopUp;

// The options panel of MPEG-4 audio results, stored in TQM4ASettingsRecord: codec (AAC LC, AAC HE
// v1 and v2, ALAC), bit rate with its mode or VBR quality, ALAC compression and bit depth, sample
// rate, channels and file extension. The codec decides the offered bit rates and sample rates
// (TQKitEncoderRules); a stored bit rate inside the codec's range that its list lacks gets an item
// of its own, so it is shown and kept. Main thread only.
class TQAudFormatPanelM4AController final : public TQAudFormatPanel {
    Q_OBJECT

public:
    explicit TQAudFormatPanelM4AController(QObject* parent = nullptr);
    ~TQAudFormatPanelM4AController() override;

    void load() override;
    bool commitEditing() override;
    void enableControls() override;
    void resetPreferences() override;
    QString resetPreferencesTitle() const override { return QStringLiteral("MP4 Settings"); }

    // Fills the bit-rate pop-up with "Auto" and the codec's rates and selects `currentKbps`, clamped
    // to the codec's range (0: "Auto").
    void populateBitRateValuesForCodec(int32_t codec, int32_t currentKbps);
    // Keeps the chosen sample rate within [minHz, maxHz] and hides the rates outside it.
    void restrictMaxSelectedSampleRate(int32_t maxHz, int32_t minHz);
    // The selected rate; 44100 while none is selected.
    int32_t getSampleRateSelectedSafe() const;
    void setSampleRateSelectedSafe(int32_t hz);
    // The codec pop-up's selection clamped to the rows of the codec table, and its code (37 past
    // the table).
    int indexOfSelectedItemSafe() const;
    int32_t codecOfSelectedItemSafe() const;
    static int indexOfCodecSafe(int32_t codec);
    static QString nameOfCodecSafe(int32_t codec);

    // The actions of the codec pop-up and of every other pop-up.
    void formatCodecChanged();
    void formatItemChanged();

    TQAudFormatPanelPopUp* format() const { return format_.get(); }
    TQAudFormatPanelPopUp* bitRate() const { return bitRate_.get(); }
    TQAudFormatPanelPopUp* bitRateMode() const { return bitRateMode_.get(); }
    TQAudFormatPanelPopUp* quality() const { return quality_.get(); }
    TQAudFormatPanelPopUp* sampleSize() const { return sampleSize_.get(); }
    TQAudFormatPanelPopUp* sampleRate() const { return sampleRate_.get(); }
    TQAudFormatPanelPopUp* channels() const { return channels_.get(); }
    TQAudFormatPanelPopUp* extension() const { return extension_.get(); }

protected:
    QWidget* loadView() override;

private:
    std::unique_ptr<TQAudFormatPanelPopUp> format_;
    std::unique_ptr<TQAudFormatPanelPopUp> bitRate_;
    std::unique_ptr<TQAudFormatPanelPopUp> bitRateMode_;
    std::unique_ptr<TQAudFormatPanelPopUp> quality_;
    std::unique_ptr<TQAudFormatPanelPopUp> sampleSize_;
    std::unique_ptr<TQAudFormatPanelPopUp> sampleRate_;
    std::unique_ptr<TQAudFormatPanelPopUp> channels_;
    std::unique_ptr<TQAudFormatPanelPopUp> extension_;
};
