#include "platform/tqkit-ui/TQKitPasteboard.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

bool isWebUrl(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == u"http"_s || scheme == u"https"_s || scheme == u"ftp"_s;
}

QStringList capped(QStringList items, int maxCount)
{
    if (maxCount > 0 && items.size() > maxCount)
        items.resize(maxCount);
    return items;
}

} // namespace

QStringList TQKitPasteboardFiles(const QMimeData* pasteboard, int maxCount)
{
    if (!pasteboard)
        pasteboard = QGuiApplication::clipboard()->mimeData();
    if (!pasteboard)
        return {};
    QStringList items;
    for (const QUrl& url : pasteboard->urls()) {
        if (url.isLocalFile())
            items.append(url.toLocalFile());
        else if (isWebUrl(url))
            items.append(url.toString());
    }
    if (items.isEmpty() && pasteboard->hasText())
        items = TQKitParseURLList(pasteboard->text());
    return capped(items, maxCount);
}

QStringList TQKitParseURLList(const QString& text)
{
    static const QRegularExpression pattern(
        uR"((?:https?|ftp)://\S+|(?:^|(?<=\s))(?:file://|~/|/)[^\n\r]*)"_s,
        QRegularExpression::CaseInsensitiveOption);
    QStringList found;
    auto matches = pattern.globalMatch(text);
    while (matches.hasNext()) {
        QString item = matches.next().captured().trimmed();
        if (item.startsWith(u"file://"_s, Qt::CaseInsensitive))
            item = QUrl(item).toLocalFile();
        else if (item.startsWith(u"~/"_s))
            item = QDir::homePath() + item.mid(1);
        if (!item.isEmpty())
            found.append(item);
    }
    return found;
}
