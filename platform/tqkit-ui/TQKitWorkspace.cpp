#include "platform/tqkit-ui/TQKitWorkspace.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

TQKitRevealRecorder& revealRecorder()
{
    static TQKitRevealRecorder recorder;
    return recorder;
}

// The arguments of a desktop entry's Exec value: split at unquoted blanks; inside double quotes a
// backslash escapes the next character.
QStringList splitExec(const QString& exec)
{
    QStringList words;
    QString word;
    bool quoted = false;
    bool inWord = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size())
                word += exec.at(++i);
            else if (c == u'"')
                quoted = false;
            else
                word += c;
        } else if (c == u'"') {
            quoted = inWord = true;
        } else if (c == u' ' || c == u'\t') {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

QString execOfDesktopEntry(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool mainGroup = false;
    while (!in.atEnd()) {
        const QString line = QString::fromUtf8(in.readLine()).trimmed();
        if (line.startsWith(u'['))
            mainGroup = line == u"[Desktop Entry]"_s;
        else if (mainGroup && line.startsWith(u"Exec="_s))
            return line.mid(5);
    }
    return {};
}

// The command lines of one Exec value for `paths`: one for the whole list, or one per file for %f
// and %u. Without a field code for files they are added at the end.
QList<QStringList> commandLines(const QStringList& exec, const QStringList& paths)
{
    bool single = false;
    bool hasFileCode = false;
    for (const QString& word : exec) {
        single = single || word == u"%f"_s || word == u"%u"_s;
        hasFileCode = hasFileCode || single || word == u"%F"_s || word == u"%U"_s;
    }
    const auto expand = [&exec, hasFileCode](const QStringList& files) {
        QStringList line;
        for (const QString& word : exec) {
            if (word == u"%F"_s || word == u"%f"_s) {
                line += files;
            } else if (word == u"%U"_s || word == u"%u"_s) {
                for (const QString& file : files)
                    line.append(QUrl::fromLocalFile(file).toString());
            } else if (word.size() == 2 && word.startsWith(u'%')) {
                continue; // %i, %c, %k and the deprecated codes stand for nothing here
            } else {
                line.append(QString(word).replace(u"%%"_s, u"%"_s));
            }
        }
        if (!hasFileCode)
            line += files;
        return line;
    };
    QList<QStringList> lines;
    if (single) {
        for (const QString& file : paths)
            lines.append(expand({file}));
    } else {
        lines.append(expand(paths));
    }
    return lines;
}

} // namespace

bool TQKitRevealItemsInFileManager(const QStringList& paths)
{
    QStringList existing;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!path.isEmpty() && info.exists())
            existing.append(info.absoluteFilePath());
    }
    if (existing.isEmpty())
        return false;
    if (revealRecorder()) {
        revealRecorder()(existing);
        return true;
    }
    const QString holder = QFileInfo(existing.first()).absolutePath();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return TQKitOpenFolder(holder);
    QStringList uris;
    for (const QString& path : existing)
        uris.append(QUrl::fromLocalFile(path).toString());
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s, u"/org/freedesktop/FileManager1"_s,
                                                       u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
    call << uris << QString();
    // Asked without waiting; a desktop without the service gets the folder opened instead.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [holder](QDBusPendingCallWatcher* done) {
        if (done->isError())
            TQKitOpenFolder(holder);
        done->deleteLater();
    });
    return true;
}

void TQKitSetRevealRecorder(TQKitRevealRecorder recorder) { revealRecorder() = std::move(recorder); }

bool TQKitRevealInFileManager(const QString& path) { return TQKitRevealItemsInFileManager({path}); }

bool TQKitOpenFilesWithApplication(const QString& desktopId, const QStringList& paths)
{
    const QString entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId + u".desktop"_s);
    const QStringList exec = splitExec(execOfDesktopEntry(entry));
    if (entry.isEmpty() || exec.isEmpty())
        return false;
    bool started = false;
    for (QStringList line : commandLines(exec, paths)) {
        const QString program = line.takeFirst();
        started = QProcess::startDetached(program, line) || started;
    }
    return started;
}


bool TQKitOpenFolder(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isDir() && QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

bool TQKitOpenURL(const QString& url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || parsed.host().isEmpty() || (scheme != u"http"_s && scheme != u"https"_s))
        return false;
    return QDesktopServices::openUrl(parsed);
}
