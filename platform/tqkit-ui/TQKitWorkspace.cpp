#include "platform/tqkit-ui/TQKitWorkspace.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QString>
#include <QUrl>

using namespace Qt::StringLiterals;

bool TQKitOpenFolder(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isDir() && QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

bool TQKitRevealInFileManager(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return false;
    const QString holder = info.absolutePath();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return TQKitOpenFolder(holder);
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s, u"/org/freedesktop/FileManager1"_s,
                                                       u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
    call << QStringList{QUrl::fromLocalFile(info.absoluteFilePath()).toString()} << QString();
    // Asked without waiting; a desktop without the service gets the folder opened instead.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [holder](QDBusPendingCallWatcher* done) {
        if (done->isError())
            TQKitOpenFolder(holder);
        done->deleteLater();
    });
    return true;
}

bool TQKitOpenURL(const QString& url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || parsed.host().isEmpty() || (scheme != u"http"_s && scheme != u"https"_s))
        return false;
    return QDesktopServices::openUrl(parsed);
}
