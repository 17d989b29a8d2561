#pragma once

#include "app/preferences/TQAudFormatPanel.h"

#include <QList>

#include <cstdint>
#include <functional>
#include <memory>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QRadioButton;
class TQAudFormatPanelPopUp;
struct TQMP3SettingsRecord;

// The options panel of MP3 results, stored in TQMP3SettingsRecord: constant or variable bit rate
// (two sub-panels exchanged by radio buttons), the bit rates, VBR quality, the CBR high-quality
// switch, CRC, channel mode, sample rate and tags format. Each MPEG version carries only its own
// bit rates at its own sample rates, so a change of sample rate refits the stored bit rates and a
// change of bit rate refits a fixed sample rate (TQKitEncoderRules). The pop-ups keep showing the
// user's choice until the next load; a commit stores only a record that changed. Main thread only.
class TQAudFormatPanelMP3Controller final : public TQAudFormatPanel {
    Q_OBJECT

public:
    // The identifiers of the two sub-panels: the ids of their radio buttons, as decimal text.
    static constexpr int kCBRTag = 1;
    static constexpr int kVBRTag = 2;

    explicit TQAudFormatPanelMP3Controller(QObject* parent = nullptr);
    ~TQAudFormatPanelMP3Controller() override;

    void load() override;
    bool commitEditing() override;
    void enableControls() override;
    void resetPreferences() override;
    QString resetPreferencesTitle() const override { return QStringLiteral("MP3 Settings"); }

    // Shows the sub-panel whose identifier is `identifier` and checks its radio button.
    void showPanel(const QString& identifier);
    bool isCBR() const;
    void setCBR(bool cbr);

    // Each setter selects the item of the value, else of the control's fall-back (sample rate
    // "As Source", CBR 320, VBR minimum 64, VBR maximum 320, channels "As Source", tags "ID3v2.4"),
    // else the first item. Each getter answers the selected value, or its default while nothing is
    // selected (sample rate 0, CBR 0, VBR minimum 64, VBR maximum 320, channels 4, tags 1).
    int32_t getSampleRate() const;
    void setSampleRate(int32_t hz);
    int32_t getCBRBitRate() const;
    void setCBRBitRate(int32_t kbps);
    int32_t getVBRMinBitRate() const;
    void setVBRMinBitRate(int32_t kbps);
    int32_t getVBRMaxBitRate() const;
    void setVBRMaxBitRate(int32_t kbps);
    int32_t getChannelMode() const;
    void setChannelMode(int32_t mode);
    int32_t metadataFormat() const;
    void setMetadataFormat(int32_t format);

    // The control actions.
    void bitrateRadioClick();
    void sampleRateChanged();
    void bitRateCBRChanged();
    void bitRateVBRChanged();
    void clickStubWithSaveEditing();

    QRadioButton* bitrateCBRButton() const { return bitrateCBRButton_; }
    QRadioButton* bitrateVBRButton() const { return bitrateVBRButton_; }
    QWidget* bitrateCBRSettings() const { return bitrateCBRSettings_; }
    QWidget* bitrateVBRSettings() const { return bitrateVBRSettings_; }
    TQAudFormatPanelPopUp* bitrateCBR() const { return bitrateCBR_.get(); }
    TQAudFormatPanelPopUp* bitrateVBRMin() const { return bitrateVBRMin_.get(); }
    TQAudFormatPanelPopUp* bitrateVBRMax() const { return bitrateVBRMax_.get(); }
    TQAudFormatPanelPopUp* bitrateVBRQuality() const { return bitrateVBRQuality_.get(); }
    TQAudFormatPanelPopUp* sampleRate() const { return sampleRate_.get(); }
    TQAudFormatPanelPopUp* channels() const { return channels_.get(); }
    TQAudFormatPanelPopUp* tagFormat() const { return tagFormat_.get(); }
    QCheckBox* cbrHighQuality() const { return cbrHighQuality_; }
    QCheckBox* genUseCRC() const { return genUseCRC_; }

protected:
    QWidget* loadView() override;

private:
    QWidget* makeCBRSettings(QWidget* parent);
    QWidget* makeVBRSettings(QWidget* parent);
    void setSubPanelAccessibility(QWidget* panel);
    // With a fixed sample rate: moves it to one that carries the bit rates the pop-ups show (put
    // into the stored record by `putShownBitRates`). Then saves.
    void fitSampleRateToBitRates(const std::function<void(TQMP3SettingsRecord&)>& putShownBitRates);

    QButtonGroup* bitrateRadio_ = nullptr;
    QRadioButton* bitrateCBRButton_ = nullptr;
    QRadioButton* bitrateVBRButton_ = nullptr;
    QWidget* bitrateCBRSettings_ = nullptr;
    QWidget* bitrateVBRSettings_ = nullptr;
    QList<QWidget*> panels_;
    std::unique_ptr<TQAudFormatPanelPopUp> bitrateCBR_;
    std::unique_ptr<TQAudFormatPanelPopUp> bitrateVBRMin_;
    std::unique_ptr<TQAudFormatPanelPopUp> bitrateVBRMax_;
    std::unique_ptr<TQAudFormatPanelPopUp> bitrateVBRQuality_;
    std::unique_ptr<TQAudFormatPanelPopUp> sampleRate_;
    std::unique_ptr<TQAudFormatPanelPopUp> channels_;
    std::unique_ptr<TQAudFormatPanelPopUp> tagFormat_;
    QCheckBox* cbrHighQuality_ = nullptr;
    QCheckBox* genUseCRC_ = nullptr;
};
