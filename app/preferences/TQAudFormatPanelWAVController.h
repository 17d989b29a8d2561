#pragma once

#include "app/preferences/TQAudFormatPanelPCMController.h"

// The options panel of WAV results: codec, sample rate, channels and tags format, stored in
// TQWAVSettingsRecord. Main thread only.
class TQAudFormatPanelWAVController final : public TQAudFormatPanelPCMController {
    Q_OBJECT

public:
    explicit TQAudFormatPanelWAVController(QObject* parent = nullptr);

    QString resetPreferencesTitle() const override { return QStringLiteral("WAV Settings"); }

protected:
    Options loadOptions() const override;
    void saveOptions(const Options& options) const override;
    void resetOptions() const override;
};
