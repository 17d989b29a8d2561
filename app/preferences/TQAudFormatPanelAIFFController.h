#pragma once

#include "app/preferences/TQAudFormatPanelPCMController.h"

// The options panel of AIFF results: codec, sample rate and channels, stored in
// TQAIFFSettingsRecord. Main thread only.
class TQAudFormatPanelAIFFController final : public TQAudFormatPanelPCMController {
    Q_OBJECT

public:
    explicit TQAudFormatPanelAIFFController(QObject* parent = nullptr);

    QString resetPreferencesTitle() const override { return QStringLiteral("AIFF Settings"); }

protected:
    Options loadOptions() const override;
    void saveOptions(const Options& options) const override;
    void resetOptions() const override;
};
