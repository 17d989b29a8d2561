#include "app/preferences/TQCAppPreferencesPanelGeneralV2.h"

#include "app/controls/TQLyrebook.h"
#include "app/controls/TQNSTextFieldLink.h"
#include "app/pattern-editor/TQTagLibTextComposePopUpButton.h"
#include "app/preferences/TQCAppPreferencesPanelGeneralV2PlaylistSettingsView.h"
#include "platform/engine/lists/PlaylistCodes.h"
#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit-ui/TQKitPopover.h"
#include "platform/tqkit/TQGeneralSettingsRecord.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQTagSettingsRecord.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstdlib>
#include <iterator>
#include <string>

using namespace Qt::StringLiterals;

namespace {

constexpr char kSection[] = "TQCSetting";
constexpr char kTabIndexKey[] = "GeneralSettingTabViewIndex";
constexpr char kFolderPatternsKey[] = "DestDirFormatList";
constexpr char kFileNamePatternsKey[] = "RenameFilesFormatList";
const char* const kIdentifierProperty = "identifier";

const QString kOverwriteTitles[] = {u"Overwrite"_s, u"Skip"_s, u"Create New Version"_s};
const QString kOverwriteHelp[] = {
    u"Select this option when the converter should overwrite existing destination files with their new versions "
    u"after conversion."_s,
    u"Select this option when source files should not be converted when corresponding destination files exist "
    u"already."_s,
    u"Select this option when the converter should create new versions of destination files after conversion."_s,
};

QCheckBox* checkBox(const QString& title, const QString& name, QWidget* parent)
{
    auto* box = new QCheckBox(title, parent);
    box->setObjectName(name);
    return box;
}

TQNSTextFieldLink* link(const QString& title, const QString& name, QWidget* parent)
{
    auto* field = new TQNSTextFieldLink(title, parent);
    field->setObjectName(name);
    field->setHyperLinkEnabled(true);
    return field;
}

QWidget* tab(const char* identifier)
{
    auto* page = new QWidget;
    page->setProperty(kIdentifierProperty, QString::fromLatin1(identifier));
    return page;
}

// The message dictionary of a pattern pop-up: `thing` is "Destination Folder" or
// "Destination File Name"; the case help of the file-name pop-up keeps its own spelling.
QVariantMap patternMessages(const QString& thing, const QString& caseHelp)
{
    return {
        {u"TQPBCVEditTitle"_s, u"Edit "_s + thing},
        {u"TQPBCVNewTitle"_s, u"New "_s + thing},
        {u"TQPBMenuToolTip"_s, u"Example of "_s + thing},
        {u"TQCVSampleFieldToolTip"_s, u"Example of the "_s + thing},
        {u"TQCVMenuToolTipExample"_s, u"Example of the "_s + thing},
        {u"TQCVCaseToolTip"_s, caseHelp},
        {u"TQCVSpacingToolTip"_s, u"Set up the spacing of the "_s + thing},
        {u"TQCVTokenFieldAccTitle"_s, u"Pattern for the "_s + thing},
    };
}

} // namespace

TQCAppPreferencesPanelGeneralV2::~TQCAppPreferencesPanelGeneralV2() = default;

int TQCAppPreferencesPanelGeneralV2::indexToPlaylistType(int index)
{
    return sonvale::lists::indexToAcceptedPlaylistType(index);
}

int TQCAppPreferencesPanelGeneralV2::playlistTypeToIndex(int code)
{
    return sonvale::lists::acceptedPlaylistTypeToIndex(code);
}

QIcon TQCAppPreferencesPanelGeneralV2::toolbarItemImage() const
{
    return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
}

QString TQCAppPreferencesPanelGeneralV2::toolbarItemTooltip() const
{
    return u"General\n\nOptions related to management of %1destination files and actions invoked after conversion."_s.arg(
        sourceFilesBoxHidden_ ? QString() : u"source files, "_s);
}

// --- View ----------------------------------------------------------------------------------------

QWidget* TQCAppPreferencesPanelGeneralV2::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(u"TQCAppPreferencesPanelGeneralV2"_s);
    auto* layout = new QVBoxLayout(view);
    tabView_ = new QTabWidget(view);
    tabView_->setObjectName(u"tabView"_s);
    tabView_->addTab(makeSourceFilesTab(), u"Source Files"_s);
    tabView_->addTab(makeDestinationFilesTab(), u"Destination Files"_s);
    tabView_->addTab(makeCompletionTab(), u"Completion"_s);
    layout->addWidget(tabView_);
    initTQCAppPreferencesPanelGeneral();
    connect(tabView_, &QTabWidget::currentChanged, this, [this] { saveTabViewPosition(); });
    return view;
}

QWidget* TQCAppPreferencesPanelGeneralV2::makeSourceFilesTab()
{
    QWidget* page = tab(kSourceFilesTab);
    auto* grid = new QGridLayout(page);
    acceptNonMediaFiles_ = checkBox(u"Convert all files of source folders"_s, u"acceptNonMediaFiles"_s, page);
    supportCUESheets_ = checkBox(u"Split albums with CUE sheets"_s, u"supportCUESheets"_s, page);
    acceptPlaylists_ = checkBox(u"Convert playlists to:"_s, u"acceptPlaylists"_s, page);
    acceptPlaylistsPopupButton_ = new QComboBox(page);
    acceptPlaylistsPopupButton_->setObjectName(u"acceptPlaylistsPopupButton"_s);
    for (const sonvale::lists::PlaylistTypeChoice& choice : sonvale::lists::kAcceptedPlaylistTypeChoices)
        acceptPlaylistsPopupButton_->addItem(QString::fromUtf8(choice.title.data(), qsizetype(choice.title.size())));
    acceptShortcuts_ = checkBox(u"Accept Internet shortcuts"_s, u"acceptShortcuts"_s, page);
    ccopyImagesAndTexts_ = checkBox(u"Copy images and texts"_s, u"ccopyImagesAndTexts"_s, page);
    ccopyNotConvertedFiles_ = checkBox(u"Copy files that are not converted"_s, u"ccopyNotConvertedFiles"_s, page);
    int row = 0;
    grid->addWidget(acceptNonMediaFiles_, row++, 0, 1, 2);
    grid->addWidget(supportCUESheets_, row++, 0, 1, 2);
    grid->addWidget(acceptPlaylists_, row, 0);
    grid->addWidget(acceptPlaylistsPopupButton_, row++, 1);
    grid->addWidget(acceptShortcuts_, row++, 0, 1, 2);
    grid->addWidget(ccopyImagesAndTexts_, row++, 0, 1, 2);
    grid->addWidget(ccopyNotConvertedFiles_, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    for (QCheckBox* box : {acceptNonMediaFiles_, supportCUESheets_, acceptPlaylists_, acceptShortcuts_,
                           ccopyImagesAndTexts_, ccopyNotConvertedFiles_})
        connect(box, &QCheckBox::clicked, this, &TQCAppPreferencesPanelGeneralV2::clickStubWithSaveEditing);
    connect(acceptPlaylistsPopupButton_, &QComboBox::activated, this,
            &TQCAppPreferencesPanelGeneralV2::clickStubWithSaveEditing);
    return page;
}

QWidget* TQCAppPreferencesPanelGeneralV2::makeDestinationFilesTab()
{
    QWidget* page = tab(kDestinationFilesTab);
    auto* grid = new QGridLayout(page);
    int row = 0;

    overwriteSettingLabel_ = new QLabel(u"When the destination file exists:"_s, page);
    overwriteSettingLabel_->setObjectName(u"overwriteSettingLabel"_s);
    overwriteSettingPopupButton_ = new QComboBox(page);
    overwriteSettingPopupButton_->setObjectName(u"overwriteSettingPopupButton"_s);
    for (int i = 0; i < int(std::size(kOverwriteTitles)); ++i) {
        overwriteSettingPopupButton_->addItem(kOverwriteTitles[i]);
        overwriteSettingPopupButton_->setItemData(i, kOverwriteHelp[i], Qt::ToolTipRole);
    }
    backupPreviousVersion_ =
        checkBox(u"Keep the previous version when overwriting"_s, u"backupPreviousVersion"_s, page);
    grid->addWidget(overwriteSettingLabel_, row, 0);
    grid->addWidget(overwriteSettingPopupButton_, row++, 1);
    grid->addWidget(backupPreviousVersion_, row++, 0, 1, 2);

    replicateDirectoryStructure_ =
        checkBox(u"Replicate structure of source folders"_s, u"replicateDirectoryStructure"_s, page);
    grid->addWidget(replicateDirectoryStructure_, row++, 0, 1, 2);

    organizeDestinationFolders_ =
        checkBox(u"Organize destination folders:"_s, u"organizeDestinationFolders"_s, page);
    organizeDestinationFoldersPopupButton_ = new TQKitPopUpButton(page);
    organizeDestinationFoldersPopupButton_->setObjectName(u"organizeDestinationFoldersPopupButton"_s);
    grid->addWidget(organizeDestinationFolders_, row, 0);
    grid->addWidget(organizeDestinationFoldersPopupButton_, row++, 1);

    renamedDestinationFiles_ = checkBox(u"Rename destination files:"_s, u"renamedDestinationFiles"_s, page);
    renameDestinationFilesPopupButton_ = new TQKitPopUpButton(page);
    renameDestinationFilesPopupButton_->setObjectName(u"renameDestinationFilesPopupButton"_s);
    grid->addWidget(renamedDestinationFiles_, row, 0);
    grid->addWidget(renameDestinationFilesPopupButton_, row++, 1);

    createPlaylistButton_ = checkBox(u"Create playlist of converted files"_s, u"createPlaylistButton"_s, page);
    playlistSettingsLink_ = link(u"Playlist Settings..."_s, u"playlistSettingsLink"_s, page);
    grid->addWidget(createPlaylistButton_, row, 0);
    grid->addWidget(playlistSettingsLink_, row++, 1, Qt::AlignLeft);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);

    for (QCheckBox* box : {backupPreviousVersion_, renamedDestinationFiles_})
        connect(box, &QCheckBox::clicked, this, &TQCAppPreferencesPanelGeneralV2::clickStubWithSaveEditing);
    connect(overwriteSettingPopupButton_, &QComboBox::activated, this,
            &TQCAppPreferencesPanelGeneralV2::clickStubWithSaveEditing);
    connect(organizeDestinationFoldersPopupButton_, &TQKitPopUpButton::activated, this,
            &TQCAppPreferencesPanelGeneralV2::clickStubWithSaveEditing);
    connect(renameDestinationFilesPopupButton_, &TQKitPopUpButton::activated, this,
            &TQCAppPreferencesPanelGeneralV2::clickStubWithSaveEditing);
    connect(replicateDirectoryStructure_, &QCheckBox::clicked, this,
            &TQCAppPreferencesPanelGeneralV2::replicateDirectoryStructureClicked);
    connect(organizeDestinationFolders_, &QCheckBox::clicked, this,
            &TQCAppPreferencesPanelGeneralV2::organizeDestinationFoldersClicked);
    connect(createPlaylistButton_, &QCheckBox::clicked, this,
            &TQCAppPreferencesPanelGeneralV2::createPlaylistButtonClicked);
    connect(playlistSettingsLink_, &TQNSTextFieldLink::clicked, this, &TQCAppPreferencesPanelGeneralV2::playlistSettings);
    return page;
}

QWidget* TQCAppPreferencesPanelGeneralV2::makeCompletionTab()
{
    QWidget* page = tab(kCompletionTab);
    auto* layout = new QVBoxLayout(page);
    closeProgress_ = checkBox(u"Close progress window after successful conversion"_s, u"closeProgress"_s, page);
    playSound_ = checkBox(u"Play sound when conversion is completed"_s, u"playSound"_s, page);
    openFinderWithConvertedFiles_ =
        checkBox(u"Show converted files in File Manager"_s, u"openFinderWithConvertedFiles"_s, page);
    moveToTrashSourceFiles_ = checkBox(u"Move source files to Bin"_s, u"moveToTrashSourceFiles"_s, page);
    auto* lyrebookRow = new QHBoxLayout;
    launchLyrebook_ = checkBox(u"Launch Lyrebook with converted files"_s, u"launchLyrebook"_s, page);
    lyrebookLink_ = link(u"Get Lyrebook"_s, u"lyrebookLink"_s, page);
    lyrebookRow->addWidget(launchLyrebook_);
    lyrebookRow->addWidget(lyrebookLink_);
    lyrebookRow->addStretch();
    for (QCheckBox* box : {closeProgress_, playSound_, openFinderWithConvertedFiles_, moveToTrashSourceFiles_})
        layout->addWidget(box);
    layout->addLayout(lyrebookRow);
    layout->addStretch();
    for (QCheckBox* box :
         {closeProgress_, playSound_, openFinderWithConvertedFiles_, moveToTrashSourceFiles_, launchLyrebook_})
        connect(box, &QCheckBox::clicked, this, &TQCAppPreferencesPanelGeneralV2::clickStubWithSaveEditing);
    connect(lyrebookLink_, &TQNSTextFieldLink::clicked, this, &TQCAppPreferencesPanelGeneralV2::getLyrebookLink);
    return page;
}

void TQCAppPreferencesPanelGeneralV2::initTQCAppPreferencesPanelGeneral()
{
    TQPatternPopUpAttach(organizeDestinationFoldersPopupButton_, kSection, kFolderPatternsKey,
                         TQTagLibTextComposePopUpButton::kFolders);
    TQPatternPopUpAttach(renameDestinationFilesPopupButton_, kSection, kFileNamePatternsKey,
                         TQTagLibTextComposePopUpButton::kFileNames);
    setUpHelpTexts();
    TQPatternPopUpSetMessages(organizeDestinationFoldersPopupButton_,
                              patternMessages(u"Destination Folder"_s, u"Set up the case of the Destination Folder"_s));
    TQPatternPopUpSetMessages(
        renameDestinationFilesPopupButton_,
        patternMessages(u"Destination File Name"_s, u"Set up the case of the Destionation File Name"_s));
    loadSettings();
    restoreTabViewPosition();
}

void TQCAppPreferencesPanelGeneralV2::setUpHelpTexts()
{
    const auto describe = [](QWidget* view, const QString& label, const QString& help) {
        if (!label.isEmpty())
            TQKitSetAccessibilityLabel(view, label);
        TQKitSetAccessibilityHelp(view, help);
    };
    if (!sourceFilesBoxHidden_) {
        describe(supportCUESheets_, {},
                 u"Check this option to enable the CUE splitter.\n\nWhen the CUE splitter is enabled, the converter "
                 u"accepts CUE sheets and produces a split version of FLAC or WAV albums.\nThis option is always "
                 u"enabled when single files are provided for conversion."_s);
        describe(acceptNonMediaFiles_, {},
                 u"Check this option to try to convert all files of source folders regardless of their extension.\n\n"
                 u"This option may help to convert media files having incorrect or unknown extensions. This option is "
                 u"always enabled when single files are provided for conversion."_s);
        describe(acceptPlaylists_, {},
                 u"Check this option to convert source M3U, PLS, XSPF, WPL, and ASX playlists to the selected format. "
                 u"This option is enabled always when single playlists, shortcuts or URLs are provided for "
                 u"conversion."_s);
        describe(acceptPlaylistsPopupButton_, u"Playlist Format"_s,
                 u"Select the desired format of converted playlists."_s);
        describe(acceptShortcuts_, {},
                 u"Check this option to accept Internet Shortcuts, such as WEBLOC, URL, or RAM, during conversion. "
                 u"This option is enabled always when single shortcuts or URLs are provided for conversion."_s);
        describe(ccopyImagesAndTexts_, {},
                 u"Check this option to copy source supplementary texts and images to the destination folder.\n\n"
                 u"This option has no effect when destination folder is 'As Source Folder' or 'Organize destination "
                 u"folders' is on."_s);
        describe(ccopyNotConvertedFiles_, {},
                 u"Check this option to transfer not converted source files to the destination folder.\n\nThis "
                 u"option has no effect when destination folder is 'As Source Folder' or 'Organize destination "
                 u"folders' is on."_s);
    }
    describe(replicateDirectoryStructure_, {},
             u"Check this option to replicate the structure of the source folders provided for conversion in the "
             u"destination folder.\nWhen importing a playlist from Music or iTunes, this option enables the creation "
             u"of a sub-folder with the Music playlist name.\n\nThis option has no effect when the destination folder "
             u"is 'As Source Folder.'"_s);
    describe(backupPreviousVersion_, {},
             u"Check this option to save previous versions of destination files after conversion.\nThis option has "
             u"effect only when option '%1' is selected."_s.arg(overwriteSettingPopupButton_->itemText(0)));
    describe(organizeDestinationFolders_, {},
             u"Check this option to create the new folder structure using the pattern and tags in the source and "
             u"destination files.\nThis option has no effect when the destination folder is 'As Source Folder.' "_s);
    describe(organizeDestinationFoldersPopupButton_, u"Pattern to organize destination folders."_s,
             u"Select a pattern for the new folder structure."_s);
    describe(renamedDestinationFiles_, {},
             u"Check this option to rename destination files using the pattern and tags."_s);
    describe(renameDestinationFilesPopupButton_, u"Pattern to rename destination files."_s,
             u"Select a pattern to rename destination files."_s);
    describe(createPlaylistButton_, {},
             u"Check this option to enable the creation of a playlist file after conversion."_s);
    describe(playlistSettingsLink_, {},
             u"Click this link to set up the format, sorting, and other playlist settings."_s);
    const QString overwriteHelp = u"Select how to resolve the conflicts when the destination file exists already."_s;
    describe(overwriteSettingPopupButton_,
             u"Option how to resolve the conflicts when destination file exists already."_s, overwriteHelp);
    describe(overwriteSettingLabel_, {}, overwriteHelp);
    describe(closeProgress_, {},
             u"Check this option to close progress windows after successful conversion automatically."_s);
    describe(playSound_, {}, u"Check this option to play sound when conversion is completed."_s);
    describe(openFinderWithConvertedFiles_, {},
             u"Check this option to show converted files in File Manager after a successful conversion."_s);
    describe(moveToTrashSourceFiles_, {},
             u"Check this option to move to Bin source files after a successful conversion.\nThis option does not "
             u"affect converting a networked file or importing from Music/iTunes."_s);
    describe(launchLyrebook_, {},
             u"Launch Lyrebook\n\nCheck this option to launch Lyrebook with converted files automatically after "
             u"conversion.\n\nWith Lyrebook, you can clean up tags, rename converted files, and make your playlists "
             u"flawless."_s);
    describe(lyrebookLink_, {},
             u"Get Lyrebook\n\nClick on this link to install Lyrebook.\n\nWith Lyrebook, you can clean up tags, "
             u"rename converted files, and make your playlists flawless."_s);
    const QString tabHelp[] = {
        u"Source Files\n\nOptions related to the management of source files."_s,
        u"Destination Files\n\nOptions related to the management of destination files."_s,
        u"Completion\n\nOptions related to actions invoked automatically after conversion."_s,
    };
    for (int i = 0; i < tabView_->count() && i < int(std::size(tabHelp)); ++i)
        tabView_->setTabToolTip(i, tabHelp[i]);
}

// --- Loading and saving --------------------------------------------------------------------------

void TQCAppPreferencesPanelGeneralV2::loadSettings()
{
    if (!tabView_) // the view is not built yet
        return;
    TQGeneralSettingsRecord record;
    TQKitGeneralSettingsLoad(&record);
    overwriteSettingPopupButton_->setCurrentIndex(record.overwritePolicy);
    backupPreviousVersion_->setChecked(record.backupPreviousVersion);
    closeProgress_->setChecked(record.closeProgress);
    playSound_->setChecked(record.playSound);
    replicateDirectoryStructure_->setChecked(record.replicateDirectoryStructure);
    organizeDestinationFolders_->setChecked(record.organizeDestinationFolders);
    renamedDestinationFiles_->setChecked(record.renameDestinationFiles);
    createPlaylistButton_->setChecked(record.createPlaylist);
    openFinderWithConvertedFiles_->setChecked(record.openFinderWithConvertedFiles);
    moveToTrashSourceFiles_->setChecked(record.moveToTrashSourceFiles);
    TQPatternPopUpSetSelected(organizeDestinationFoldersPopupButton_, record.destinationFolderPattern.c_str());
    TQPatternPopUpSetSelected(renameDestinationFilesPopupButton_, record.fileNamePattern.c_str());
    if (!sourceFilesBoxHidden_) {
        acceptNonMediaFiles_->setChecked(record.acceptNonMediaFiles);
        ccopyImagesAndTexts_->setChecked(record.copyImagesAndTexts);
        ccopyNotConvertedFiles_->setChecked(record.copyNotConvertedFiles);
        supportCUESheets_->setChecked(record.supportCUESheets);
        acceptPlaylists_->setChecked(record.acceptPlaylists);
        acceptPlaylistsPopupButton_->setCurrentIndex(playlistTypeToIndex(record.acceptedPlaylistType));
        acceptShortcuts_->setChecked(record.acceptShortcuts);
    }
    loadLyrebookFlag();
    enableControls();
    TQGeneralSettingsDestroy(&record);
}

void TQCAppPreferencesPanelGeneralV2::loadLyrebookFlag()
{
    TQTagSettingsRecord tags;
    TQKitTagSettingsLoad(&tags);
    launchLyrebook_->setChecked(tags.launchLyrebook);
}

bool TQCAppPreferencesPanelGeneralV2::commitEditing()
{
    TQPreferencesViewController::commitEditing();
    if (!tabView_) // the view is not built yet
        return true;
    TQGeneralSettingsRecord record;
    TQKitGeneralSettingsLoad(&record);
    record.overwritePolicy = overwriteSettingPopupButton_->currentIndex();
    record.backupPreviousVersion = backupPreviousVersion_->isChecked();
    record.closeProgress = closeProgress_->isChecked();
    record.playSound = playSound_->isChecked();
    record.replicateDirectoryStructure = replicateDirectoryStructure_->isChecked();
    record.organizeDestinationFolders = organizeDestinationFolders_->isChecked();
    record.renameDestinationFiles = renamedDestinationFiles_->isChecked();
    record.createPlaylist = createPlaylistButton_->isChecked();
    record.openFinderWithConvertedFiles = openFinderWithConvertedFiles_->isChecked();
    record.moveToTrashSourceFiles = moveToTrashSourceFiles_->isChecked();
    TQPatternPopUpCopySelected(record.destinationFolderPattern, organizeDestinationFoldersPopupButton_);
    TQPatternPopUpCopySelected(record.fileNamePattern, renameDestinationFilesPopupButton_);
    const bool shown = !sourceFilesBoxHidden_;
    record.acceptNonMediaFiles = shown && acceptNonMediaFiles_->isChecked();
    record.copyImagesAndTexts = shown && ccopyImagesAndTexts_->isChecked();
    record.copyNotConvertedFiles = shown && ccopyNotConvertedFiles_->isChecked();
    record.supportCUESheets = shown && supportCUESheets_->isChecked();
    record.acceptPlaylists = shown && acceptPlaylists_->isChecked();
    record.acceptedPlaylistType = shown ? indexToPlaylistType(acceptPlaylistsPopupButton_->currentIndex()) : 0;
    record.acceptShortcuts = shown && acceptShortcuts_->isChecked();
    TQKitGeneralSettingsSave(&record);
    TQGeneralSettingsDestroy(&record);
    saveTabViewPosition();

    // The Tags page shows the same flag; notify 1 makes it reload.
    TQTagSettingsRecord tags;
    TQKitTagSettingsLoad(&tags);
    tags.launchLyrebook = launchLyrebook_->isChecked();
    TQKitTagSettingsSave(&tags, 1);
    return true;
}

void TQCAppPreferencesPanelGeneralV2::resetPreferences()
{
    TQKitGeneralSettingsReset();
    TQPatternPopUpReset(organizeDestinationFoldersPopupButton_);
    TQPatternPopUpReset(renameDestinationFilesPopupButton_);
    loadSettings();
}

void TQCAppPreferencesPanelGeneralV2::viewWillAppear()
{
    if (tabView_)
        loadLyrebookFlag();
}

void TQCAppPreferencesPanelGeneralV2::enableControls()
{
    if (!tabView_) // the view is not built yet
        return;
    backupPreviousVersion_->setEnabled(overwriteSettingPopupButton_->currentIndex() == 0);
    acceptPlaylistsPopupButton_->setEnabled(acceptPlaylists_->isChecked());
    organizeDestinationFoldersPopupButton_->setEnabled(organizeDestinationFolders_->isChecked());
    renameDestinationFilesPopupButton_->setEnabled(renamedDestinationFiles_->isChecked());
    playlistSettingsLink_->setEnabled(createPlaylistButton_->isChecked());
}

// --- Control actions -----------------------------------------------------------------------------

void TQCAppPreferencesPanelGeneralV2::clickStubWithSaveEditing()
{
    commitEditing();
    enableControls();
}

void TQCAppPreferencesPanelGeneralV2::organizeDestinationFoldersClicked()
{
    if (organizeDestinationFolders_->isChecked())
        replicateDirectoryStructure_->setChecked(false);
    clickStubWithSaveEditing();
}

void TQCAppPreferencesPanelGeneralV2::replicateDirectoryStructureClicked()
{
    if (replicateDirectoryStructure_->isChecked())
        organizeDestinationFolders_->setChecked(false);
    clickStubWithSaveEditing();
}

void TQCAppPreferencesPanelGeneralV2::createPlaylistButtonClicked()
{
    clickStubWithSaveEditing();
    if (createPlaylistButton_->isChecked())
        playlistSettings();
}

void TQCAppPreferencesPanelGeneralV2::playlistSettings()
{
    auto* view = TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::view();
    if (!view)
        return;
    const QVariantMap description{
        {u"fromView"_s, QVariant::fromValue<QObject*>(playlistSettingsLink_)},
        {u"fromViewRectEdge"_s, 3},
        {u"customView"_s, QVariant::fromValue<QObject*>(view)},
        {u"defaultButton"_s, u"Close"_s},
    };
    // A new view is made for every popover; the closed one goes with it.
    QPointer<QWidget> shown(view);
    if (!TQKitShowPopover(description, [shown](int) {
            if (shown)
                shown->deleteLater();
        }))
        delete view;
}

void TQCAppPreferencesPanelGeneralV2::getLyrebookLink()
{
    TQLyrebookOpenLink();
}

// --- Sub-pages and tabs --------------------------------------------------------------------------

bool TQCAppPreferencesPanelGeneralV2::selectSubPage(const QString& name)
{
    const QString lower = name.toLower();
    const char* identifier = nullptr;
    if (lower == u"source"_s || lower == u"source files"_s)
        identifier = kSourceFilesTab;
    else if (lower == u"dest"_s || lower == u"destination"_s || lower == u"destination files"_s)
        identifier = kDestinationFilesTab;
    else if (lower == u"completion"_s)
        identifier = kCompletionTab;
    if (!identifier)
        return false;
    view();
    for (int i = 0; i < tabView_->count(); ++i) {
        if (tabView_->widget(i)->property(kIdentifierProperty).toString() == QLatin1StringView(identifier)) {
            tabView_->setCurrentIndex(i);
            return true;
        }
    }
    return true;
}

int TQCAppPreferencesPanelGeneralV2::selectedTabViewItemIndex() const
{
    return tabView_ ? tabView_->currentIndex() : -1;
}

void TQCAppPreferencesPanelGeneralV2::saveTabViewPosition()
{
    if (!tabView_)
        return;
    TQKitSettingWriteText(kSection, kTabIndexKey, std::to_string(selectedTabViewItemIndex()).c_str());
}

void TQCAppPreferencesPanelGeneralV2::restoreTabViewPosition()
{
    if (!tabView_)
        return;
    const std::string text = TQKitSettingReadText(kSection, kTabIndexKey, "");
    int index = tabView_->count() > 2 ? 1 : 0; // the Destination Files tab in both layouts
    if (!text.empty())
        index = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
    selectTabViewItemAtIndex(index);
}

void TQCAppPreferencesPanelGeneralV2::selectTabViewItemAtIndex(int index)
{
    if (!tabView_ || index < 0 || index >= tabView_->count() || index == tabView_->currentIndex())
        return;
    tabView_->setCurrentIndex(index);
}

void TQCAppPreferencesPanelGeneralV2::hideSourceFilesSection()
{
    view();
    if (sourceFilesBoxHidden_)
        return;
    hiddenTabViewItem_ = tabView_->widget(0);
    {
        const QSignalBlocker blocker(tabView_);
        tabView_->removeTab(0);
    }
    hiddenTabViewItem_->setParent(tabView_->parentWidget());
    hiddenTabViewItem_->hide();
    sourceFilesBoxHidden_ = true;
    restoreTabViewPosition();
}
