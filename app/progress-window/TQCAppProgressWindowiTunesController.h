#pragma once

// The options of sending converted files to a playlist of the music library, shown inside the
// export alert: the playlist (an editable list of the library's playlists) and whether to close
// the progress window once the files were added. Both are remembered in section "TQCSetting".
// Main thread only; the object owns its view.

#include <QObject>
#include <QString>

#include <memory>

class QCheckBox;
class QComboBox;
class QWidget;

class TQCAppProgressWindowiTunesController final {
public:
    TQCAppProgressWindowiTunesController();
    ~TQCAppProgressWindowiTunesController();
    TQCAppProgressWindowiTunesController(const TQCAppProgressWindowiTunesController&) = delete;
    TQCAppProgressWindowiTunesController& operator=(const TQCAppProgressWindowiTunesController&) = delete;

    QWidget* view() const { return view_.get(); }
    QComboBox* comboboxPlaylists() const { return comboboxPlaylists_; }
    QCheckBox* checkboxCloseButtonWhenCompleted() const { return checkboxCloseButtonWhenCompleted_; }

    // The playlist typed or chosen, trimmed; the application's name when that is empty.
    QString playlistName() const;
    static QString playlistDefaultName();
    bool closeWindowWhenCompleted() const;
    // Stores both choices.
    bool commitEditing();
    // Remembers a non-empty playlist name for the next export.
    static void savePlaylistName(const QString& name);

private:
    // Gives the playlist box the keyboard when the view appears.
    struct FocusOnShow final : QObject {
        bool eventFilter(QObject* watched, QEvent* event) override;
        QComboBox* combo = nullptr;
    };

    FocusOnShow focusOnShow_;
    std::unique_ptr<QWidget> view_;
    QComboBox* comboboxPlaylists_;
    QCheckBox* checkboxCloseButtonWhenCompleted_;
};
