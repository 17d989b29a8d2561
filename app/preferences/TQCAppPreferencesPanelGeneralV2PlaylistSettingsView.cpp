#include "app/preferences/TQCAppPreferencesPanelGeneralV2PlaylistSettingsView.h"

#include "app/controls/TQLyrebook.h"
#include "app/controls/TQNSTextFieldLink.h"
#include "platform/engine/lists/PlaylistCodes.h"
#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit/TQGeneralSettingsRecord.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

QString title(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// The stored name as the field shows it: empty when it is not valid UTF-8 (ASCII is part of it).
QString decodedName(const std::string& name)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(QByteArrayView(name.data(), qsizetype(name.size())));
    return decoder.hasError() ? QString() : text;
}

} // namespace

TQCAppPreferencesPanelGeneralV2PlaylistSettingsView* TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::view()
{
    auto* view = new TQCAppPreferencesPanelGeneralV2PlaylistSettingsView;
    view->initTQTagLibTableViewTextProcessingViewControllerInternal();
    return view;
}

int TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::indexToPlaylistType(int index)
{
    return sonvale::lists::indexToPlaylistType(index);
}

int TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::playlistTypeToIndex(int code)
{
    return sonvale::lists::playlistTypeToIndex(code);
}

int TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::indexToSortingOrder(int index)
{
    return sonvale::lists::indexToSortingOrder(index);
}

int TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::sortingOrderToIndex(int sortOrder)
{
    return sonvale::lists::sortingOrderToIndex(sortOrder);
}

TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::TQCAppPreferencesPanelGeneralV2PlaylistSettingsView()
{
    setObjectName(u"TQCAppPreferencesPanelGeneralV2PlaylistSettingsView"_s);
    auto* grid = new QGridLayout(this);
    playlistFormatLabel_ = new QLabel(u"Format:"_s, this);
    playlistFormatPopupButton_ = new QComboBox(this);
    playlistFormatPopupButton_->setObjectName(u"playlistFormatPopupButton"_s);
    for (const sonvale::lists::PlaylistTypeChoice& choice : sonvale::lists::kPlaylistTypeChoices)
        playlistFormatPopupButton_->addItem(title(choice.title));
    sortOrderLabel_ = new QLabel(u"Sort by:"_s, this);
    sortOrderPopupButton_ = new QComboBox(this);
    sortOrderPopupButton_->setObjectName(u"sortOrderPopupButton"_s);
    sortOrderPopupButton_->setMaxVisibleItems(16);
    for (const sonvale::lists::SortOrderChoice& choice : sonvale::lists::kSortOrderChoices) {
        if (choice.title.empty())
            sortOrderPopupButton_->insertSeparator(sortOrderPopupButton_->count());
        else
            sortOrderPopupButton_->addItem(title(choice.title));
    }
    sortOrderDescendingButton_ = new QCheckBox(u"Descending"_s, this);
    sortOrderDescendingButton_->setObjectName(u"sortOrderDescendingButton"_s);
    mergeWithExistingPlaylistButton_ = new QCheckBox(u"Add to the existing playlist"_s, this);
    mergeWithExistingPlaylistButton_->setObjectName(u"mergeWithExistingPlaylistButton"_s);
    playlistNameLabel_ = new QLabel(u"Name:"_s, this);
    playlistNameField_ = new QLineEdit(this);
    playlistNameField_->setObjectName(u"playlistNameField"_s);
    playlistNameField_->setPlaceholderText(u"Automatic"_s);
    playlistNameField_->setMinimumWidth(fontMetrics().horizontalAdvance(u"M"_s) * 18);
    lyrebookLink_ = new TQNSTextFieldLink(u"Edit playlists with Lyrebook"_s, this);
    lyrebookLink_->setObjectName(u"lyrebookLink"_s);
    lyrebookLink_->setHyperLinkEnabled(true);

    int row = 0;
    grid->addWidget(playlistFormatLabel_, row, 0, Qt::AlignRight);
    grid->addWidget(playlistFormatPopupButton_, row++, 1);
    grid->addWidget(sortOrderLabel_, row, 0, Qt::AlignRight);
    grid->addWidget(sortOrderPopupButton_, row++, 1);
    grid->addWidget(sortOrderDescendingButton_, row++, 1);
    grid->addWidget(playlistNameLabel_, row, 0, Qt::AlignRight);
    grid->addWidget(playlistNameField_, row++, 1);
    grid->addWidget(mergeWithExistingPlaylistButton_, row++, 1);
    grid->addWidget(lyrebookLink_, row++, 0, 1, 2, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    for (QComboBox* popUp : {playlistFormatPopupButton_, sortOrderPopupButton_})
        connect(popUp, &QComboBox::activated, this, &TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::commitEditingFromControl);
    for (QCheckBox* box : {sortOrderDescendingButton_, mergeWithExistingPlaylistButton_})
        connect(box, &QCheckBox::clicked, this, &TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::commitEditingFromControl);
    // Return stores the name; the popover stays open.
    connect(playlistNameField_, &QLineEdit::returnPressed, this,
            &TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::commitEditing);
    connect(playlistNameField_, &QLineEdit::editingFinished, this,
            &TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::commitEditing);
    connect(lyrebookLink_, &TQNSTextFieldLink::clicked, this,
            &TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::lyrebookLinkClicked);
}

void TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::initTQTagLibTableViewTextProcessingViewControllerInternal()
{
    TQGeneralSettingsRecord record;
    TQKitPlaylistSettingsLoad(&record);
    const TQPlaylistCreationOptions& options = record.playlistOptions;
    playlistFormatPopupButton_->setCurrentIndex(playlistTypeToIndex(options.playlistType));
    sortOrderPopupButton_->setCurrentIndex(sortingOrderToIndex(options.sortOrder));
    sortOrderDescendingButton_->setChecked((options.sortOrder & kTQPlaylistSortDescending) != 0);
    mergeWithExistingPlaylistButton_->setChecked(options.mergeWithExisting);
    playlistNameField_->setText(decodedName(options.playlistName));

    const auto help = [](std::initializer_list<QWidget*> views, const QString& text) {
        for (QWidget* view : views)
            TQKitSetAccessibilityHelp(view, text);
    };
    help({playlistFormatPopupButton_, playlistFormatLabel_}, u"Select the playlist file format."_s);
    help({sortOrderPopupButton_, sortOrderLabel_}, u"Select the order of sorting the playlist tracks."_s);
    help({sortOrderDescendingButton_}, u"Check this option to apply a descending order of sorting."_s);
    help({mergeWithExistingPlaylistButton_},
         u"This option has an effect when either or both:\n- the playlist name above was specified.\n- single files "
         u"or links have been provided for the conversion.\n- the options \"Replicate structure of source folders\" "
         u"and \"Organize destination folders\" are off.\n\nIf this option is off, the playlist with new content will "
         u"replace the existing one."_s);
    help({playlistNameLabel_, playlistNameField_},
         u"Playlist name where links to converted files should be added.\nWhen the playlist name is empty, it is set "
         u"automatically."_s);
    help({lyrebookLink_},
         u"Fill up and edit metadata, create playlists, organize and export files with Lyrebook."_s);
    enableControls();
    TQGeneralSettingsDestroy(&record);
}

void TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::commitEditing()
{
    const int sortCode = indexToSortingOrder(sortOrderPopupButton_->currentIndex());
    TQGeneralSettingsRecord record;
    TQKitPlaylistSettingsLoad(&record);
    TQPlaylistCreationOptions& options = record.playlistOptions;
    options.playlistType = indexToPlaylistType(playlistFormatPopupButton_->currentIndex());
    options.sortOrder = sortCode | (sortOrderDescendingButton_->isChecked() ? kTQPlaylistSortDescending : 0);
    options.mergeWithExisting = mergeWithExistingPlaylistButton_->isChecked();
    options.playlistName = playlistNameField_->text().trimmed().toStdString();
    TQKitPlaylistSettingsSave(&record);
    TQGeneralSettingsDestroy(&record);
}

void TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::commitEditingFromControl()
{
    commitEditing();
    enableControls();
}

void TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::enableControls()
{
    const bool shuffle = indexToSortingOrder(sortOrderPopupButton_->currentIndex()) ==
                         int(sonvale::lists::PlaylistSortKey::Shuffle);
    sortOrderDescendingButton_->setEnabled(!shuffle);
}

void TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::keyPressEvent(QKeyEvent* event)
{
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn && playlistNameField_->hasFocus()) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::lyrebookLinkClicked()
{
    TQLyrebookOpenLink();
}
