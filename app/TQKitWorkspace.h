#pragma once

// Showing folders and web pages with the desktop's own applications. Main thread only. Tests
// capture the requests with QDesktopServices::setUrlHandler for "file", "http" and "https".

class QString;

// Opens the folder `path` in the file manager; for a file, its folder. False when the desktop could
// not open it.
bool TQKitRevealInFileManager(const QString& path);

// Opens `url` in the desktop's browser. Text that came from files or the network is opened only
// when it is an http or https URL; anything else is refused (false).
bool TQKitOpenURL(const QString& url);
