#pragma once

#include "app/preferences/TQPreferencesViewController.h"

// The General page of the preferences dialog.
class TQCAppPreferencesPanelGeneralV2 final : public TQPreferencesViewController {
    Q_OBJECT

public:
    using TQPreferencesViewController::TQPreferencesViewController;

    QString identifier() const override { return QStringLiteral("TQCAppPreferencesPanelGeneralV2"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override { return QStringLiteral("General"); }

protected:
    QWidget* loadView() override;
};
