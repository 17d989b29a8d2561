#pragma once

// The playlist chooser of the music library: a sheet over a window that lists the library's
// playlists with their tracks; Continue hands over the chosen playlist's files with a dictionary
// from each file to its track id. Playlists and tracks can also be dragged out of it as the
// music library's drag type (TQKitMusicPasteboardTracks reads it back). Main thread only.

#include <QStringList>
#include <QVariantMap>

#include <functional>

class QMimeData;
class QWidget;

struct TQKitMusicPlaylistSheetDescription {
    int mode = 1;                     // 1: choose one playlist to convert
    QWidget* accessoryView = nullptr; // shown below the list; the sheet takes it over
    QString message;
};

struct TQKitMusicImportResult {
    QStringList paths;        // the existing files of the playlist's tracks, in its order
    QVariantMap tracks;       // path -> track id (QString)
    QString playlistName;
};

// The drag type of library tracks: JSON {"playlist": name, "tracks": {path: id, ...}}.
inline constexpr char kTQKitMusicTracksMimeType[] = "application/x-sonvale-music-tracks";

// Shows the sheet over `window`; `completion` gets the result, with no paths when the person
// cancelled or the playlist has no files. Nothing is shown (the completion is not called and the
// accessory view is deleted) when the window already has a sheet.
void TQKitMusicPlaylistSheetRun(QWidget* window, const TQKitMusicPlaylistSheetDescription& description,
                                std::function<void(const TQKitMusicImportResult&)> completion);

// The tracks a drag or the clipboard carries in the library's drag type (path -> track id), and
// their playlist's name; empty when it carries none.
QVariantMap TQKitMusicPasteboardTracks(const QMimeData* pasteboard, QString* playlistName = nullptr);
// Data of a drag of `result`'s tracks: the library's drag type and the files as URLs.
QMimeData* TQKitMusicMakePasteboard(const TQKitMusicImportResult& result);
// The tracks of the playlist `name` as an import result; empty paths when it has none.
TQKitMusicImportResult TQKitMusicImportPlaylist(const QString& name);
