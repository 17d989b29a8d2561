#include "platform/tqkit-ui/TQKitMusicApp.h"

#include <QString>

QString TQKitMusicAppName() { return QStringLiteral("Music"); }
