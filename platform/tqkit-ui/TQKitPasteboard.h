#pragma once

// Sources on a pasteboard (a drag's data or the clipboard) and in typed text. Main thread only.

#include <QStringList>

class QMimeData;

// The files, folders and URLs that `pasteboard` carries (null: the clipboard): its URLs (local ones
// as paths), else the local paths and web URLs of its text. `maxCount` 0 gives all, any other value
// at most that many.
QStringList TQKitPasteboardFiles(const QMimeData* pasteboard, int maxCount);

// The web URLs (http, https, ftp) and local paths in `text`, in the order they appear: a URL ends at
// white space, a local path (absolute, "~/..." or a file URL) takes the rest of its line.
QStringList TQKitParseURLList(const QString& text);
