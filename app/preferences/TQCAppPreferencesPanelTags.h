#pragma once

#include "app/preferences/TQPreferencesViewController.h"

#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class TQNSTextFieldLink;

// The Tags page: whether tags are carried from the sources, filled in from paths or the network, or
// stripped; whether artwork is converted or limited in size; whether Lyrebook opens the results.
// It edits the stored TQTagSettingsRecord and saves at once. While the page lives it is the tag
// settings' observer, so a save elsewhere (the General page, the tag-loading prompt) reloads it on
// the main thread. Main thread only.
class TQCAppPreferencesPanelTags final : public TQPreferencesViewController {
    Q_OBJECT

public:
    // The items of the size pop-up, in pixels; 768 is the fallback for a size no item shows.
    static constexpr int32_t kArtworkSizes[] = {300, 400, 600, 768, 1000, 1200, 1400, 1600, 2000, 3000};
    static constexpr int32_t kFallbackArtworkSize = 768;

    using TQPreferencesViewController::TQPreferencesViewController;
    ~TQCAppPreferencesPanelTags() override;

    QString identifier() const override { return QStringLiteral("TQCAppPreferencesPanelTags"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override { return QStringLiteral("Tags"); }
    QString titleLabel() const override { return QStringLiteral("Tags"); }
    QString toolbarItemTooltip() const override;
    QString appInfoNetworkMenuKeyword() const override { return QStringLiteral("pref_tags"); }
    bool hasResetPreferences() const override { return true; }
    void resetPreferences() override;
    void viewWillAppear() override;
    bool commitEditing() override;

    void loadSettings();
    void enableControls();
    // Hides the transfer check box and closes the gap it leaves.
    void hideTransferTagsOption();

    // The common action of the check boxes and pop-ups.
    void clickStubWithSaveEditing(QObject* sender);
    void getLyrebookLink();

    QCheckBox* transferTags() const { return transferTags_; }
    QCheckBox* loadTagsFromPaths() const { return loadTagsFromPaths_; }
    QCheckBox* loadTagsFromNetwork() const { return loadTagsFromNetwork_; }
    QCheckBox* stripTags() const { return stripTags_; }
    QCheckBox* launchLyrebook() const { return launchLyrebook_; }
    QCheckBox* artworkFormat() const { return artworkFormat_; }
    QCheckBox* artworkSize() const { return artworkSize_; }
    QComboBox* artworkFormatPopup() const { return artworkFormatPopup_; }
    QComboBox* artworkSizePopup() const { return artworkSizePopup_; }
    TQNSTextFieldLink* getLyrebookLinkField() const { return getLyrebookLink_; }

protected:
    QWidget* loadView() override;

private:
    void initTQCAppPreferencesPanelTags();
    void setUpHelpTexts();
    // Called by the tag settings on a thread of their own.
    static void settingsChanged(void* context);

    uint64_t observerRegistration_ = 0;
    QCheckBox* transferTags_ = nullptr;
    QCheckBox* loadTagsFromPaths_ = nullptr;
    QCheckBox* loadTagsFromNetwork_ = nullptr;
    QCheckBox* stripTags_ = nullptr;
    QCheckBox* launchLyrebook_ = nullptr;
    QCheckBox* artworkFormat_ = nullptr;
    QCheckBox* artworkSize_ = nullptr;
    QComboBox* artworkFormatPopup_ = nullptr;
    QComboBox* artworkSizePopup_ = nullptr;
    QGroupBox* transferTagsBox_ = nullptr;
    QGroupBox* lyrebookBox_ = nullptr;
    TQNSTextFieldLink* getLyrebookLink_ = nullptr;
};
