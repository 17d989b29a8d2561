#pragma once

// The sibling tag editor Lyrebook: whether it is installed, and where to get it. Main thread.

#include <QStringList>

#include <string>

// The installed editions, as their identifiers in the order of preference ("com.telquor.Lyrebook-FS",
// "com.telquor.Lyrebook", "-Free", "-Trial", "-Beta"), each found by its desktop entry
// ("<identifier>.desktop") in the applications folders of the XDG data dirs. `maxCount` 1 stops
// at the first; 0 finds all.
QStringList TQLyrebookFindInstalled(int maxCount);
bool TQLyrebookIsInstalled();

// Where to get Lyrebook: the application parameter "TQCAppLyrebookLink", else the store page
// (at most 259 bytes).
std::string TQAppInfoReadLyrebookLink();
// Opens that link in the browser (the "Get Lyrebook" links of the settings).
bool TQLyrebookOpenLink();
// The application parameter "TQCAppNoYD" is set (not 0).
bool TQAppInfoReadNoYDFlag();
