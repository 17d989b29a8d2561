#include "app/TQKitWorkspace.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QString>
#include <QUrl>

using namespace Qt::StringLiterals;

bool TQKitRevealInFileManager(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return false;
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool TQKitOpenURL(const QString& url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || parsed.host().isEmpty() || (scheme != u"http"_s && scheme != u"https"_s))
        return false;
    return QDesktopServices::openUrl(parsed);
}
