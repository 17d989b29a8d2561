#pragma once

// Showing folders and web pages with the desktop's own applications. Main thread only. Tests
// capture the requests with QDesktopServices::setUrlHandler for "file", "http" and "https".

#include <QStringList>

#include <functional>

class QString;

// Opens the folder `path` in the file manager. False when it is not a folder or could not be opened.
bool TQKitOpenFolder(const QString& path);

// Shows `path` (a file or a folder) selected in its folder: through the desktop's file manager
// service (org.freedesktop.FileManager1) when there is one, else by opening the folder that holds
// it. False when the path does not exist.
bool TQKitRevealInFileManager(const QString& path);

// Shows the existing ones of `paths` (files or folders, usually of one folder) selected in the file
// manager, through the desktop's file manager service when there is one, else by opening the
// folder of the first. False when none exists. While a reveal recorder is installed, it receives
// the existing paths instead and the desktop is not asked.
bool TQKitRevealItemsInFileManager(const QStringList& paths);
using TQKitRevealRecorder = std::function<void(const QStringList& paths)>;
void TQKitSetRevealRecorder(TQKitRevealRecorder recorder);

// Opens `paths` with the application of the desktop entry `desktopId` ("<id>.desktop" in the
// applications folders of the XDG data dirs): its Exec line with the field codes filled in
// (%f and %u start it once per file). False when there is no such entry, it cannot be run, or the
// program could not be started.
bool TQKitOpenFilesWithApplication(const QString& desktopId, const QStringList& paths);

// Opens `url` in the desktop's browser. Text that came from files or the network is opened only
// when it is an http or https URL; anything else is refused (false).
bool TQKitOpenURL(const QString& url);
