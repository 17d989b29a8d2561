#pragma once

#include "app/preferences/TQAudFormatPanel.h"

#include <memory>

class TQAudFormatPanelPopUp;

// The options panel of FLAC results: compression, bit depth, sample rate, channels and tags format,
// stored in TQFLACSettingsRecord (its retained field goes back as loaded). A stored value its list
// lacks shows "Medium" for the compression and the value 0 elsewhere. Main thread only.
class TQAudFormatPanelFLACController final : public TQAudFormatPanel {
    Q_OBJECT

public:
    // The width of the tags-format pop-up while it offers a choice with ID3v2, in points.
    static constexpr int kWideTagsFormatWidth = 131;

    explicit TQAudFormatPanelFLACController(QObject* parent = nullptr);
    ~TQAudFormatPanelFLACController() override;

    void load() override;
    bool commitEditing() override;
    void enableControls() override;
    void resetPreferences() override;
    QString resetPreferencesTitle() const override { return QStringLiteral("FLAC Settings"); }

    TQAudFormatPanelPopUp* compressionLevel() const { return compressionLevel_.get(); }
    TQAudFormatPanelPopUp* sampleSize() const { return sampleSize_.get(); }
    TQAudFormatPanelPopUp* channels() const { return channels_.get(); }
    TQAudFormatPanelPopUp* sampleRate() const { return sampleRate_.get(); }
    TQAudFormatPanelPopUp* tagsFormat() const { return tagsFormat_.get(); }

protected:
    QWidget* loadView() override;

private:
    void formatItemChanged();

    std::unique_ptr<TQAudFormatPanelPopUp> compressionLevel_;
    std::unique_ptr<TQAudFormatPanelPopUp> sampleSize_;
    std::unique_ptr<TQAudFormatPanelPopUp> channels_;
    std::unique_ptr<TQAudFormatPanelPopUp> sampleRate_;
    std::unique_ptr<TQAudFormatPanelPopUp> tagsFormat_;
};
