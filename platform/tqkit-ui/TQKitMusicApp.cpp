#include "platform/tqkit-ui/TQKitMusicApp.h"

#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit/TQKitMusicLibrary.h"

#include <QDir>
#include <QString>

#include <mutex>

using namespace Qt::StringLiterals;

QString TQKitMusicAppName() { return u"Music"_s; }

QString TQKitMusicExportTitle() { return u"Export to %1"_s.arg(TQKitMusicAppName()); }

QString TQKitMusicLibraryTitle() { return u"a"_s; }

QString TQKitApplicationName() { return u"Sonvale"_s; }

QStringList TQKitMusicPlaylistNamesList()
{
    std::vector<std::string> names;
    {
        std::lock_guard lock(TQKitMusicLibraryMutex());
        names = TQKitMusicPlaylistNames();
    }
    QStringList list;
    for (const std::string& name : names)
        list.append(QString::fromStdString(name));
    return list;
}

void TQKitMusicShowResult(QWidget* window, const TQKitMusicAddResult& result)
{
    const QString playlist = QString::fromStdString(result.playlistName);
    QStringList lines;
    if (!result.added.empty()) {
        lines.append(result.added.size() == 1
                         ? u"1 file has been added to the playlist \"%1\"."_s.arg(playlist)
                         : u"%1 files have been added to the playlist \"%2\"."_s.arg(result.added.size()).arg(playlist));
    }
    if (!result.error.empty())
        lines.append(QString::fromStdString(result.error));
    if (!result.failed.empty()) {
        lines.append(u"Could not add:"_s);
        for (const std::string& file : result.failed)
            lines.append(QString::fromStdString(file));
    }
    TQKitShowMessageBox(window, TQKitMusicExportTitle(), lines.join(u'\n'), 0);
}

bool TQKitMusicLibraryCheckAvailable(QWidget* window)
{
    if (TQKitMusicLibraryExists())
        return true;
    TQKitShowMessageBox(window, TQKitMusicAppName(),
                        u"No %1 library was found.\n\nSonvale reads the library from \"%2\"."_s.arg(
                            TQKitMusicAppName(), QDir::toNativeSeparators(QString::fromStdString(TQKitMusicLibraryPath().string()))),
                        0);
    return false;
}
