#pragma once

#include "app/preferences/TQPreferencesViewController.h"

// The Format page of the preferences dialog.
class TQAudFormatPanelController final : public TQPreferencesViewController {
    Q_OBJECT

public:
    using TQPreferencesViewController::TQPreferencesViewController;
    void setDefaultFormat(int format) { defaultFormat_ = format; }
    void setSupportedFormatFlags(int flags) { supportedFormatFlags_ = flags; }

    QString identifier() const override { return QStringLiteral("TQAudFormatPanelController"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override { return QStringLiteral("Format"); }

protected:
    QWidget* loadView() override;

private:
    int defaultFormat_ = 0;
    int supportedFormatFlags_ = 0;
};
