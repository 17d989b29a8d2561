#include "platform/tqkit-ui/TQKitMusicPlaylistSheet.h"

#include "platform/tqkit-ui/TQKitMusicApp.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit/TQKitMusicLibrary.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <mutex>

using namespace Qt::StringLiterals;

namespace {

// The playlists list: dragging a playlist carries its tracks in the library's drag type.
class PlaylistList final : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    QStringList mimeTypes() const override
    {
        return {QString::fromLatin1(kTQKitMusicTracksMimeType), u"text/uri-list"_s};
    }
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override
    {
        return items.isEmpty() ? nullptr : TQKitMusicMakePasteboard(TQKitMusicImportPlaylist(items.first()->text()));
    }
};

} // namespace

TQKitMusicImportResult TQKitMusicImportPlaylist(const QString& name)
{
    std::optional<std::vector<TQKitMusicTrack>> tracks;
    {
        std::lock_guard lock(TQKitMusicLibraryMutex());
        tracks = TQKitMusicPlaylistTracks(name.toStdString());
    }
    TQKitMusicImportResult result;
    result.playlistName = name;
    for (const TQKitMusicTrack& track : tracks.value_or(std::vector<TQKitMusicTrack>())) {
        const QString path = QString::fromStdString(track.location);
        if (path.isEmpty() || !QFileInfo(path).isFile() || result.tracks.contains(path))
            continue;
        result.paths.append(path);
        result.tracks.insert(path, QString::fromStdString(track.id));
    }
    return result;
}

QMimeData* TQKitMusicMakePasteboard(const TQKitMusicImportResult& result)
{
    auto* data = new QMimeData;
    QJsonObject tracks;
    for (auto it = result.tracks.cbegin(); it != result.tracks.cend(); ++it)
        tracks.insert(it.key(), it.value().toString());
    const QJsonObject object{{u"playlist"_s, result.playlistName}, {u"tracks"_s, tracks}};
    data->setData(QString::fromLatin1(kTQKitMusicTracksMimeType), QJsonDocument(object).toJson(QJsonDocument::Compact));
    QList<QUrl> urls;
    for (const QString& path : result.paths)
        urls.append(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

QVariantMap TQKitMusicPasteboardTracks(const QMimeData* pasteboard, QString* playlistName)
{
    const QString type = QString::fromLatin1(kTQKitMusicTracksMimeType);
    if (!pasteboard || !pasteboard->hasFormat(type))
        return {};
    const QJsonObject object = QJsonDocument::fromJson(pasteboard->data(type)).object();
    QVariantMap tracks;
    const QJsonObject entries = object.value(u"tracks"_s).toObject();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it.value().isString() && !it.key().isEmpty())
            tracks.insert(it.key(), it.value().toString());
    }
    if (playlistName)
        *playlistName = object.value(u"playlist"_s).toString();
    return tracks;
}

void TQKitMusicPlaylistSheetRun(QWidget* window, const TQKitMusicPlaylistSheetDescription& description,
                                std::function<void(const TQKitMusicImportResult&)> completion)
{
    auto* sheet = new QDialog(window);
    sheet->setObjectName(u"musicPlaylistSheet"_s);
    sheet->setWindowTitle(u"Import from %1"_s.arg(TQKitMusicAppName()));
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(sheet);
    auto* message = new QLabel(description.message, sheet);
    message->setWordWrap(true);
    layout->addWidget(message);
    auto* playlists = new PlaylistList(sheet);
    playlists->setObjectName(u"playlists"_s);
    playlists->setDragEnabled(true);
    playlists->setDragDropMode(QAbstractItemView::DragOnly);
    playlists->addItems(TQKitMusicPlaylistNamesList());
    playlists->setMinimumSize(340, 180);
    layout->addWidget(playlists);
    auto* tracks = new QLabel(sheet);
    tracks->setObjectName(u"trackCount"_s);
    layout->addWidget(tracks);
    if (description.accessoryView) {
        layout->addWidget(description.accessoryView);
    }
    auto* buttons = new QDialogButtonBox(sheet);
    QPushButton* go = buttons->addButton(u"Continue"_s, QDialogButtonBox::AcceptRole);
    buttons->addButton(u"Cancel"_s, QDialogButtonBox::RejectRole);
    go->setDefault(true);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, sheet, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, sheet, &QDialog::reject);

    const auto refresh = [playlists, tracks, go] {
        QListWidgetItem* item = playlists->currentItem();
        const int count = item ? static_cast<int>(TQKitMusicImportPlaylist(item->text()).paths.size()) : 0;
        tracks->setText(item ? (count == 1 ? u"1 track"_s : u"%1 tracks"_s.arg(count)) : QString());
        go->setEnabled(item != nullptr);
    };
    QObject::connect(playlists, &QListWidget::currentItemChanged, sheet, refresh);
    QObject::connect(playlists, &QListWidget::itemDoubleClicked, sheet, &QDialog::accept);
    if (playlists->count() > 0)
        playlists->setCurrentRow(0);
    refresh();

    QObject::connect(sheet, &QDialog::finished, sheet, [playlists, completion](int result) {
        TQKitMusicImportResult chosen;
        if (result == QDialog::Accepted && playlists->currentItem())
            chosen = TQKitMusicImportPlaylist(playlists->currentItem()->text());
        if (completion)
            completion(chosen);
    });
    if (!TQKitWindowSheet::of(window)->attach(sheet)) {
        delete sheet;
        return;
    }
    sheet->open();
}
