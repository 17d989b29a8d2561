#include "app/TQKitMusicApp.h"

#include <QString>

QString TQKitMusicAppName() { return QStringLiteral("Music"); }
