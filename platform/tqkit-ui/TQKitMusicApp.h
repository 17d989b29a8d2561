#pragma once

// The music library as the windows name and show it (the stand-in of platform/tqkit/
// TQKitMusicLibrary.h): its names, its playlist names and the box that reports an export.

#include <QStringList>

class QWidget;
struct TQKitMusicAddResult;

// The display name of the music library the application imports from, used where menus and
// buttons name it. Any thread.
QString TQKitMusicAppName();
// The title of the export command and its boxes ("Export to Music").
QString TQKitMusicExportTitle();
// The word before the library's name in "Select a Music playlist ...".
QString TQKitMusicLibraryTitle();
// The name of the application, the default playlist name of an export.
QString TQKitApplicationName();
// The playlists of the library, in its order. Main thread.
QStringList TQKitMusicPlaylistNamesList();
// Tells what an export added and what failed, in a box over `window`. Main thread.
void TQKitMusicShowResult(QWidget* window, const TQKitMusicAddResult& result);
// Without a library file: says so in a box over `window` and answers false. Main thread.
bool TQKitMusicLibraryCheckAvailable(QWidget* window);
