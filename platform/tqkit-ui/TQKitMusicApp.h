#pragma once

class QString;

// The display name of the music library the application imports from (the Music-library
// stand-in), used where menus and buttons name it. Any thread.
QString TQKitMusicAppName();
