#pragma once

#include "app/preferences/TQPreferencesViewController.h"

#include <QList>

class QLabel;
class TQAudFormatPanel;
class TQKitPopUpButton;

// The Format page of the preferences dialog: a pop-up of the offered output formats and, under it,
// the options panel of the chosen one. The choice is stored as text setting
// "TQAudFormatPanelController" / "FormatSelected" only when the user picks a format; the page shows
// the default format while the stored one is missing or not offered. The page owns one panel per
// offered format, shows exactly one of them and fits the window to it, also when the panel shows or
// hides controls of its own (the window can't be resized otherwise); saving and reset go to the
// panel shown. Main thread only.
class TQAudFormatPanelController final : public TQPreferencesViewController {
    Q_OBJECT

public:
    // The stored choice (TQAudFormatFlag) as written: 0 when never chosen, and not checked against
    // the offered formats. What the conversion start reads.
    static int selectedFormat();

    using TQPreferencesViewController::TQPreferencesViewController;
    ~TQAudFormatPanelController() override;

    // Both must be set before the view loads.
    void setDefaultFormat(int format) { defaultFormat_ = format; }
    void setSupportedFormatFlags(int flags) { supportedFormatFlags_ = flags; }
    int defaultFormat() const { return defaultFormat_; }
    int supportedFormatFlags() const { return supportedFormatFlags_; }

    // The flag of the pop-up's selected item; 0 when none is selected.
    int popUpSelectedFormat() const;
    // Shows the panel of `format`; a format that isn't offered changes nothing.
    void setSelectedFormat(int format);
    // The pop-up's action: stores the chosen format and shows its panel.
    void formatSelected();

    const QList<int>& formatValues() const { return formatValues_; }
    const QList<TQAudFormatPanel*>& formatViewControllers() const { return formatViewControllers_; }
    TQKitPopUpButton* formatPopupButton() const { return formatPopupButton_; }
    QLabel* formatLabel() const { return formatLabel_; }
    // The panel shown; null before the view loads.
    TQAudFormatPanel* selectedPanel() const;

    QString identifier() const override { return QStringLiteral("TQAudFormatPanelController"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override { return QStringLiteral("Format"); }
    QString toolbarItemTooltip() const override;
    QString appInfoNetworkMenuKeyword() const override;
    bool commitEditing() override;
    bool hasResetPreferences() const override { return selectedPanel() != nullptr; }
    void resetPreferences() override;
    QString resetPreferencesTitle() const override;

protected:
    QWidget* loadView() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void initTQAudFormatPanelInternal(QWidget* view);
    void fitWindowToPage();

    int defaultFormat_ = 0;
    int supportedFormatFlags_ = 0;
    QList<int> formatValues_;
    QList<TQAudFormatPanel*> formatViewControllers_; // children of this page
    QLabel* formatLabel_ = nullptr;
    TQKitPopUpButton* formatPopupButton_ = nullptr;
    int pageWidth_ = 0;
    QWidget* pageView_ = nullptr; // the view, known while it is being built
};
