#pragma once

#include "app/preferences/TQPreferencesViewController.h"

#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;
class QTabWidget;
class QWidget;
class TQKitPopUpButton;
class TQNSTextFieldLink;

// The General page: how sources are accepted (Source Files tab), where and under which names the
// results are written (Destination Files tab) and what happens when a batch has finished
// (Completion tab). It edits the stored TQGeneralSettingsRecord and, of the tag options, only the
// flag that launches Lyrebook. Every control saves at once; the page keeps no copy of the record.
// The selected tab is remembered across launches. Main thread only.
class TQCAppPreferencesPanelGeneralV2 final : public TQPreferencesViewController {
    Q_OBJECT

public:
    // Tab identifiers, kept in each tab page's "identifier" property.
    static constexpr char kSourceFilesTab[] = "1";
    static constexpr char kDestinationFilesTab[] = "2";
    static constexpr char kCompletionTab[] = "3";

    // The accepted-playlist pop-up: item index to the stored code and back.
    static int indexToPlaylistType(int index);
    static int playlistTypeToIndex(int code);

    using TQPreferencesViewController::TQPreferencesViewController;
    ~TQCAppPreferencesPanelGeneralV2() override;

    QString identifier() const override { return QStringLiteral("TQCAppPreferencesPanelGeneralV2"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override { return QStringLiteral("General"); }
    QString titleLabel() const override { return QStringLiteral("General"); }
    QString toolbarItemTooltip() const override;
    QString appInfoNetworkMenuKeyword() const override { return QStringLiteral("pref_general"); }
    bool selectSubPage(const QString& name) override;
    bool hasResetPreferences() const override { return true; }
    void resetPreferences() override;
    QString resetPreferencesTitle() const override { return QStringLiteral("General Settings"); }
    void viewWillAppear() override;
    bool commitEditing() override;

    void loadSettings();
    void enableControls();
    // Removes the Source Files tab: its options are then written as off.
    void hideSourceFilesSection();
    bool sourceFilesBoxHidden() const { return sourceFilesBoxHidden_; }

    int selectedTabViewItemIndex() const;
    void saveTabViewPosition();
    void restoreTabViewPosition();
    void selectTabViewItemAtIndex(int index);

    // Control actions.
    void clickStubWithSaveEditing();
    void createPlaylistButtonClicked();
    void playlistSettings();
    void organizeDestinationFoldersClicked();
    void replicateDirectoryStructureClicked();
    void getLyrebookLink();

    QTabWidget* tabView() const { return tabView_; }
    QComboBox* overwriteSettingPopupButton() const { return overwriteSettingPopupButton_; }
    QCheckBox* backupPreviousVersion() const { return backupPreviousVersion_; }
    QCheckBox* closeProgress() const { return closeProgress_; }
    QCheckBox* playSound() const { return playSound_; }
    QCheckBox* acceptNonMediaFiles() const { return acceptNonMediaFiles_; }
    QCheckBox* ccopyImagesAndTexts() const { return ccopyImagesAndTexts_; }
    QCheckBox* ccopyNotConvertedFiles() const { return ccopyNotConvertedFiles_; }
    QCheckBox* supportCUESheets() const { return supportCUESheets_; }
    QCheckBox* acceptPlaylists() const { return acceptPlaylists_; }
    QComboBox* acceptPlaylistsPopupButton() const { return acceptPlaylistsPopupButton_; }
    QCheckBox* acceptShortcuts() const { return acceptShortcuts_; }
    QCheckBox* replicateDirectoryStructure() const { return replicateDirectoryStructure_; }
    QCheckBox* organizeDestinationFolders() const { return organizeDestinationFolders_; }
    TQKitPopUpButton* organizeDestinationFoldersPopupButton() const { return organizeDestinationFoldersPopupButton_; }
    QCheckBox* renamedDestinationFiles() const { return renamedDestinationFiles_; }
    TQKitPopUpButton* renameDestinationFilesPopupButton() const { return renameDestinationFilesPopupButton_; }
    QCheckBox* createPlaylistButton() const { return createPlaylistButton_; }
    TQNSTextFieldLink* playlistSettingsLink() const { return playlistSettingsLink_; }
    QCheckBox* openFinderWithConvertedFiles() const { return openFinderWithConvertedFiles_; }
    QCheckBox* moveToTrashSourceFiles() const { return moveToTrashSourceFiles_; }
    QCheckBox* launchLyrebook() const { return launchLyrebook_; }
    TQNSTextFieldLink* lyrebookLink() const { return lyrebookLink_; }

protected:
    QWidget* loadView() override;

private:
    QWidget* makeSourceFilesTab();
    QWidget* makeDestinationFilesTab();
    QWidget* makeCompletionTab();
    void initTQCAppPreferencesPanelGeneral();
    void setUpHelpTexts();
    void loadLyrebookFlag();

    bool sourceFilesBoxHidden_ = false;
    QTabWidget* tabView_ = nullptr;
    QPointer<QWidget> hiddenTabViewItem_; // the removed Source Files tab, owned by the view
    QComboBox* overwriteSettingPopupButton_ = nullptr;
    QLabel* overwriteSettingLabel_ = nullptr;
    QCheckBox* backupPreviousVersion_ = nullptr;
    QCheckBox* closeProgress_ = nullptr;
    QCheckBox* playSound_ = nullptr;
    QCheckBox* acceptNonMediaFiles_ = nullptr;
    QCheckBox* ccopyImagesAndTexts_ = nullptr;
    QCheckBox* ccopyNotConvertedFiles_ = nullptr;
    QCheckBox* supportCUESheets_ = nullptr;
    QCheckBox* acceptPlaylists_ = nullptr;
    QComboBox* acceptPlaylistsPopupButton_ = nullptr;
    QCheckBox* acceptShortcuts_ = nullptr;
    QCheckBox* replicateDirectoryStructure_ = nullptr;
    QCheckBox* organizeDestinationFolders_ = nullptr;
    TQKitPopUpButton* organizeDestinationFoldersPopupButton_ = nullptr;
    QCheckBox* renamedDestinationFiles_ = nullptr;
    TQKitPopUpButton* renameDestinationFilesPopupButton_ = nullptr;
    QCheckBox* createPlaylistButton_ = nullptr;
    TQNSTextFieldLink* playlistSettingsLink_ = nullptr;
    QCheckBox* openFinderWithConvertedFiles_ = nullptr;
    QCheckBox* moveToTrashSourceFiles_ = nullptr;
    QCheckBox* launchLyrebook_ = nullptr;
    TQNSTextFieldLink* lyrebookLink_ = nullptr;
};
