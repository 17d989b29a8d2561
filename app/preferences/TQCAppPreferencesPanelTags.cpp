#include "app/preferences/TQCAppPreferencesPanelTags.h"

#include "app/controls/TQLyrebook.h"
#include "app/controls/TQNSTextFieldLink.h"
#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit-ui/TQKitAlertRequest.h"
#include "platform/tqkit-ui/TQKitMainThread.h"
#include "platform/tqkit-ui/TQKitPopover.h"
#include "platform/tqkit-ui/TQKitPopoverMessage.h"
#include "platform/tqkit/TQKitTagSettingsObserver.h"
#include "platform/tqkit/TQTagSettingsRecord.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPointer>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The artwork-format items in the order of the stored index: 0 JPEG, 1 PNG.
const QString kArtworkFormats[] = {u"JPEG"_s, u"PNG"_s};

QCheckBox* checkBox(const QString& title, const QString& name, QWidget* parent)
{
    auto* box = new QCheckBox(title, parent);
    box->setObjectName(name);
    return box;
}

QComboBox* popUp(const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    return box;
}

} // namespace

TQCAppPreferencesPanelTags::~TQCAppPreferencesPanelTags()
{
    // Waits for a call that is running; a newer page's registration is left alone.
    TQKitTagSettingsObserverClear(observerRegistration_);
}

QIcon TQCAppPreferencesPanelTags::toolbarItemImage() const
{
    return QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView);
}

QString TQCAppPreferencesPanelTags::toolbarItemTooltip() const
{
    return u"Tags\n\nOptions related to tags management, such as transfer tags from source files, loading missing tags "
           u"from network services and integration with Lyrebook."_s;
}

// --- View ----------------------------------------------------------------------------------------

QWidget* TQCAppPreferencesPanelTags::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(u"TQCAppPreferencesPanelTags"_s);
    auto* layout = new QVBoxLayout(view);

    transferTagsBox_ = new QGroupBox(u"Tags and Artwork"_s, view);
    transferTagsBox_->setObjectName(u"transferTagsBox"_s);
    auto* grid = new QGridLayout(transferTagsBox_);
    transferTags_ = checkBox(u"Transfer tags from source files"_s, u"transferTags"_s, transferTagsBox_);
    loadTagsFromPaths_ = checkBox(u"Load missing tags from file and folder names"_s, u"loadTagsFromPaths"_s,
                                  transferTagsBox_);
    loadTagsFromNetwork_ =
        checkBox(u"Load missing tags from network services"_s, u"loadTagsFromNetwork"_s, transferTagsBox_);
    artworkFormat_ = checkBox(u"Convert artwork to:"_s, u"artworkFormat"_s, transferTagsBox_);
    artworkFormatPopup_ = popUp(u"artworkFormatPopup"_s, transferTagsBox_);
    for (const QString& format : kArtworkFormats)
        artworkFormatPopup_->addItem(format);
    artworkSize_ = checkBox(u"Limit artwork size to:"_s, u"artworkSize"_s, transferTagsBox_);
    artworkSizePopup_ = popUp(u"artworkSizePopup"_s, transferTagsBox_);
    for (const int32_t size : kArtworkSizes)
        artworkSizePopup_->addItem(QString::number(size));
    stripTags_ = checkBox(u"Strip all tags"_s, u"stripTags"_s, transferTagsBox_);
    int row = 0;
    grid->addWidget(transferTags_, row++, 0, 1, 2);
    grid->addWidget(loadTagsFromPaths_, row++, 0, 1, 2);
    grid->addWidget(loadTagsFromNetwork_, row++, 0, 1, 2);
    grid->addWidget(artworkFormat_, row, 0);
    grid->addWidget(artworkFormatPopup_, row++, 1, Qt::AlignLeft);
    grid->addWidget(artworkSize_, row, 0);
    grid->addWidget(artworkSizePopup_, row++, 1, Qt::AlignLeft);
    grid->addWidget(stripTags_, row++, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    lyrebookBox_ = new QGroupBox(u"Lyrebook"_s, view);
    lyrebookBox_->setObjectName(u"lyrebookBox"_s);
    auto* lyrebook = new QHBoxLayout(lyrebookBox_);
    launchLyrebook_ = checkBox(u"Launch Lyrebook with converted files"_s, u"launchLyrebook"_s, lyrebookBox_);
    getLyrebookLink_ = new TQNSTextFieldLink(u"Get Lyrebook"_s, lyrebookBox_);
    getLyrebookLink_->setObjectName(u"getLyrebookLink"_s);
    getLyrebookLink_->setHyperLinkEnabled(true);
    lyrebook->addWidget(launchLyrebook_);
    lyrebook->addWidget(getLyrebookLink_);
    lyrebook->addStretch();

    layout->addWidget(transferTagsBox_);
    layout->addWidget(lyrebookBox_);
    layout->addStretch();

    for (QCheckBox* box : {transferTags_, loadTagsFromPaths_, loadTagsFromNetwork_, stripTags_, launchLyrebook_,
                           artworkFormat_, artworkSize_})
        connect(box, &QCheckBox::clicked, this, [this, box] { clickStubWithSaveEditing(box); });
    for (QComboBox* box : {artworkFormatPopup_, artworkSizePopup_})
        connect(box, &QComboBox::activated, this, [this, box] { clickStubWithSaveEditing(box); });
    connect(getLyrebookLink_, &TQNSTextFieldLink::clicked, this, &TQCAppPreferencesPanelTags::getLyrebookLink);

    initTQCAppPreferencesPanelTags();
    return view;
}

void TQCAppPreferencesPanelTags::initTQCAppPreferencesPanelTags()
{
    setUpHelpTexts();
    loadSettings();
    TQKitTagSettingsObserverClear(observerRegistration_);
    observerRegistration_ = TQKitTagSettingsObserverSet(&TQCAppPreferencesPanelTags::settingsChanged, this);
}

void TQCAppPreferencesPanelTags::settingsChanged(void* context)
{
    // The page outlives this call: its destructor clears the registration and waits for a running
    // call. The reload is queued with the page as its context, so it is dropped once the page is gone.
    auto* page = static_cast<TQCAppPreferencesPanelTags*>(context);
    if (TQKitIsMainThread())
        page->loadSettings();
    else
        TQKitPerformOnMainThread(page, [page] { page->loadSettings(); });
}

void TQCAppPreferencesPanelTags::setUpHelpTexts()
{
    TQKitSetAccessibilityLabel(artworkFormatPopup_, u"Artwork Format"_s);
    TQKitSetAccessibilityLabel(artworkSizePopup_, u"Artwork Size"_s);
    TQKitSetAccessibilityLabel(getLyrebookLink_, u"Click on this link to install Lyrebook."_s);
    TQKitSetAccessibilityHelp(
        transferTags_,
        u"Transfer Tags\n\nCheck this option to enable transferring tags from source files to converted audio.\n\n"
        u"When this option is on, file system attributes, such as modification, creation dates, and various File "
        u"Manager tags, will also be transferred to destination files."_s);
    TQKitSetAccessibilityHelp(loadTagsFromPaths_,
                              u"Load Tags from Paths\n\nCheck this option to enable loading of missing tags from files "
                              u"and folders names of source audio files."_s);
    TQKitSetAccessibilityHelp(loadTagsFromNetwork_,
                              u"Load Tags from Network\n\nCheck this option to enable loading of missing tags from "
                              u"network services such as MusicBrainz, CoverArt and AcoustID."_s);
    TQKitSetAccessibilityHelp(artworkFormat_, u"Artwork Format\n\nCheck this option to convert artworks to the image "
                                              u"format, supported by your Audio Player."_s);
    TQKitSetAccessibilityHelp(artworkFormatPopup_,
                              u"Artwork Format\n\nSelect the image format here, supported by your Audio Player."_s);
    TQKitSetAccessibilityHelp(artworkSize_, u"Artwork Size\n\nCheck this option to limit the size of artworks, so your "
                                            u"Audio Player can display them correctly."_s);
    TQKitSetAccessibilityHelp(artworkSizePopup_,
                              u"Artwork Size\n\nChoose the maximum size of artwork supported by your Audio Player."_s);
    TQKitSetAccessibilityHelp(stripTags_,
                              u"Strip Tags\n\nCheck this option to remove all metadata from converted files completely."_s);
    TQKitSetAccessibilityHelp(launchLyrebook_,
                              u"Launch Lyrebook\n\nCheck this option to launch Lyrebook with converted files "
                              u"automatically after conversion.\n\nWith Lyrebook, you can clean up tags, rename "
                              u"converted files, and make your playlists flawless."_s);
    TQKitSetAccessibilityHelp(getLyrebookLink_,
                              u"Get Lyrebook\n\nClick on this link to install Lyrebook.\n\nWith Lyrebook, you can clean "
                              u"up tags, rename converted files, and make your playlists flawless."_s);
}

// --- Loading and saving --------------------------------------------------------------------------

void TQCAppPreferencesPanelTags::loadSettings()
{
    if (!transferTags_) // the view is not built yet
        return;
    TQTagSettingsRecord record;
    TQKitTagSettingsLoad(&record);
    transferTags_->setChecked(record.transferTags);
    loadTagsFromPaths_->setChecked(record.loadTagsFromPaths);
    loadTagsFromNetwork_->setChecked(record.loadTagsFromNetwork);
    launchLyrebook_->setChecked(record.launchLyrebook);
    stripTags_->setChecked(record.stripTags);
    artworkFormat_->setChecked(record.convertArtworkFormat);
    const bool formatShown = record.artworkFormatIndex >= 0 && record.artworkFormatIndex < artworkFormatPopup_->count();
    artworkFormatPopup_->setCurrentIndex(formatShown ? record.artworkFormatIndex : 0);
    artworkSize_->setChecked(record.limitArtworkSize);
    int sizeIndex = artworkSizePopup_->findText(QString::number(record.maxArtworkSize));
    if (sizeIndex < 0)
        sizeIndex = artworkSizePopup_->findText(QString::number(kFallbackArtworkSize));
    if (sizeIndex >= 0)
        artworkSizePopup_->setCurrentIndex(sizeIndex);
    enableControls();
}

bool TQCAppPreferencesPanelTags::commitEditing()
{
    TQPreferencesViewController::commitEditing();
    if (!transferTags_) // the view is not built yet
        return true;
    TQTagSettingsRecord record;
    TQKitTagSettingsLoad(&record);
    record.transferTags = transferTags_->isChecked();
    record.loadTagsFromPaths = loadTagsFromPaths_->isChecked();
    record.loadTagsFromNetwork = loadTagsFromNetwork_->isChecked();
    record.stripTags = stripTags_->isChecked();
    record.launchLyrebook = launchLyrebook_->isChecked();
    record.convertArtworkFormat = artworkFormat_->isChecked();
    record.artworkFormatIndex = artworkFormatPopup_->currentIndex();
    record.limitArtworkSize = artworkSize_->isChecked();
    record.maxArtworkSize = artworkSizePopup_->currentText().toInt();
    TQKitTagSettingsSave(&record, 0);
    return true;
}

void TQCAppPreferencesPanelTags::resetPreferences()
{
    TQKitTagSettingsReset();
    loadSettings();
}

void TQCAppPreferencesPanelTags::viewWillAppear()
{
    if (!transferTags_) // the view is not built yet
        return;
    TQTagSettingsRecord record;
    TQKitTagSettingsLoad(&record);
    launchLyrebook_->setChecked(record.launchLyrebook);
}

void TQCAppPreferencesPanelTags::enableControls()
{
    if (!transferTags_) // the view is not built yet
        return;
    const bool strip = stripTags_->isChecked();
    stripTags_->setEnabled(true);
    for (QCheckBox* box : {transferTags_, loadTagsFromPaths_, loadTagsFromNetwork_})
        box->setEnabled(!strip);
    const bool tagsPresent = (transferTags_->isChecked() && !transferTags_->isHidden()) ||
                             loadTagsFromPaths_->isChecked() || loadTagsFromNetwork_->isChecked();
    const bool artwork = !strip && tagsPresent;
    artworkSize_->setEnabled(artwork);
    artworkFormat_->setEnabled(artwork);
    artworkSizePopup_->setEnabled(artwork && artworkSize_->isChecked());
    artworkFormatPopup_->setEnabled(artwork && artworkFormat_->isChecked());
}

void TQCAppPreferencesPanelTags::hideTransferTagsOption()
{
    view();
    transferTags_->hide(); // the layout closes the gap
    enableControls();
}

// --- Control actions -----------------------------------------------------------------------------

void TQCAppPreferencesPanelTags::clickStubWithSaveEditing(QObject* sender)
{
    commitEditing();
    enableControls();
    if (sender == launchLyrebook_ && launchLyrebook_->isChecked() && !TQLyrebookIsInstalled()) {
        const QVariantMap description{
            {u"fromView"_s, QVariant::fromValue<QObject*>(launchLyrebook_)},
            {u"fromViewRectEdge"_s, 3},
            {u"title"_s, u"Lyrebook"_s},
            {u"message"_s, u"Would you like to download and install Lyrebook?\n"_s},
            {u"defaultButton"_s, u"Continue"_s},
        };
        QPointer<TQCAppPreferencesPanelTags> self(this);
        TQKitShowPopover(description, [self](int result) {
            if (self && result == kTQKitAlertDefaultButton)
                self->getLyrebookLink();
        });
    } else if (sender == loadTagsFromNetwork_ && loadTagsFromNetwork_->isChecked()) {
        TQKitShowPopoverMessage(loadTagsFromNetwork_, QString(),
                                u"\nThis option is most suitable for CD conversion.\n\nThe loading tags from the network "
                                u"can cause delays when converting big music collections."_s);
    }
}

void TQCAppPreferencesPanelTags::getLyrebookLink()
{
    TQLyrebookOpenLink();
}
