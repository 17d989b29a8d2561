#pragma once

#include "app/preferences/TQAudFormatPanel.h"

#include <QList>
#include <QStringList>

#include <cstdint>
#include <memory>

class TQAudFormatPanelPopUp;

// What the WAV and AIFF panels share: a codec pop-up with separators (codes shared between the two
// formats), sample rate and channels, and for WAV the tags format. The channel controls hide while
// the codec can write one channel only; the chosen channels stay stored. A stored value its list
// lacks shows the list's value 0 ("Automatic Selection", "As Source", "ID3v2.4, Info").
class TQAudFormatPanelPCMController : public TQAudFormatPanel {
    Q_OBJECT

public:
    // The record fields the panel edits; tagsFormat only where the format has tags.
    struct Options {
        int32_t codec = 0;
        int32_t sampleRate = 0;
        uint8_t channels = 0;
        int32_t tagsFormat = 0;
    };
    struct Codec {
        int32_t code; // -1: a separator
        QString title;
    };

    ~TQAudFormatPanelPCMController() override;

    void load() override;
    bool commitEditing() override;
    void enableControls() override;
    void resetPreferences() override;

    TQAudFormatPanelPopUp* format() const { return format_.get(); }
    TQAudFormatPanelPopUp* sampleRate() const { return sampleRate_.get(); }
    TQAudFormatPanelPopUp* channels() const { return channels_.get(); }
    // Null for AIFF.
    TQAudFormatPanelPopUp* tagsFormat() const { return tagsFormat_.get(); }

protected:
    // `name` is the format's name as the panel's texts use it ("WAV", "AIFF").
    TQAudFormatPanelPCMController(const QString& name, QList<Codec> codecs, bool hasTags, QObject* parent);

    QWidget* loadView() override;

    virtual Options loadOptions() const = 0;
    // Loads the stored record, overwrites the panel's fields and stores it.
    virtual void saveOptions(const Options& options) const = 0;
    virtual void resetOptions() const = 0;

private:
    void formatItemChanged();

    QString name_;
    QList<Codec> codecs_;
    bool hasTags_;
    std::unique_ptr<TQAudFormatPanelPopUp> format_;
    std::unique_ptr<TQAudFormatPanelPopUp> sampleRate_;
    std::unique_ptr<TQAudFormatPanelPopUp> channels_;
    std::unique_ptr<TQAudFormatPanelPopUp> tagsFormat_;
};
