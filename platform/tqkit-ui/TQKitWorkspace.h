#pragma once

// Showing folders and web pages with the desktop's own applications. Main thread only. Tests
// capture the requests with QDesktopServices::setUrlHandler for "file", "http" and "https".

class QString;

// Opens the folder `path` in the file manager. False when it is not a folder or could not be opened.
bool TQKitOpenFolder(const QString& path);

// Shows `path` (a file or a folder) selected in its folder: through the desktop's file manager
// service (org.freedesktop.FileManager1) when there is one, else by opening the folder that holds
// it. False when the path does not exist.
bool TQKitRevealInFileManager(const QString& path);

// Opens `url` in the desktop's browser. Text that came from files or the network is opened only
// when it is an http or https URL; anything else is refused (false).
bool TQKitOpenURL(const QString& url);
