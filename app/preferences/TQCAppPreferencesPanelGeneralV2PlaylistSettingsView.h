#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class TQNSTextFieldLink;

// The playlist options of the General settings (format, sort order and direction, merging, name),
// shown in a popover at the General page's playlist settings link. Every change, and Return in
// the name field, stores the options at once; the view keeps nothing but its controls. A new view
// is made for each popover. Main thread only.
class TQCAppPreferencesPanelGeneralV2PlaylistSettingsView final : public QWidget {
    Q_OBJECT

public:
    // A new view showing the stored options; the caller owns it.
    static TQCAppPreferencesPanelGeneralV2PlaylistSettingsView* view();

    // The pop-ups' item index to the stored code and back (the sort code without its direction).
    static int indexToPlaylistType(int index);
    static int playlistTypeToIndex(int code);
    static int indexToSortingOrder(int index);
    static int sortingOrderToIndex(int sortOrder);

    void commitEditing();
    void enableControls();
    void lyrebookLinkClicked();

    QComboBox* playlistFormatPopupButton() const { return playlistFormatPopupButton_; }
    QComboBox* sortOrderPopupButton() const { return sortOrderPopupButton_; }
    QCheckBox* sortOrderDescendingButton() const { return sortOrderDescendingButton_; }
    QCheckBox* mergeWithExistingPlaylistButton() const { return mergeWithExistingPlaylistButton_; }
    QLineEdit* playlistNameField() const { return playlistNameField_; }
    TQNSTextFieldLink* lyrebookLink() const { return lyrebookLink_; }

protected:
    // Return in the name field has stored the name; it goes no further, so the popover stays.
    void keyPressEvent(QKeyEvent* event) override;

private:
    TQCAppPreferencesPanelGeneralV2PlaylistSettingsView();
    void initTQTagLibTableViewTextProcessingViewControllerInternal();
    // The controls' action.
    void commitEditingFromControl();

    QLabel* playlistFormatLabel_ = nullptr;
    QComboBox* playlistFormatPopupButton_ = nullptr;
    QLabel* sortOrderLabel_ = nullptr;
    QComboBox* sortOrderPopupButton_ = nullptr;
    QCheckBox* sortOrderDescendingButton_ = nullptr;
    QCheckBox* mergeWithExistingPlaylistButton_ = nullptr;
    QLabel* playlistNameLabel_ = nullptr;
    QLineEdit* playlistNameField_ = nullptr;
    TQNSTextFieldLink* lyrebookLink_ = nullptr;
};
