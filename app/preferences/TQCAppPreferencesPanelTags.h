#pragma once

#include "app/preferences/TQPreferencesViewController.h"

// The Tags page of the preferences dialog.
class TQCAppPreferencesPanelTags final : public TQPreferencesViewController {
    Q_OBJECT

public:
    using TQPreferencesViewController::TQPreferencesViewController;

    QString identifier() const override { return QStringLiteral("TQCAppPreferencesPanelTags"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override { return QStringLiteral("Tags"); }

protected:
    QWidget* loadView() override;
};
