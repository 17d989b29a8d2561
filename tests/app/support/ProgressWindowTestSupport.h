#pragma once

// Helpers of the progress-window tests: generated audio, a delegate that records what the window
// tells it, a folder this process cannot write into, and the dark palette.

#include "app/progress-window/TQCAppProgressWindowDelegate.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <filesystem>

namespace sonvale::test {

// Writes a 16-bit stereo PCM WAV of `seconds` of a 440 Hz tone.
void writeWav(const std::filesystem::path& file, double seconds = 0.5);

// Its drop-panel side takes the local files of a pasteboard (null: the clipboard) and records each
// batch of dropped or pasted sources.
class RecordingDelegate final : public TQCAppProgressWindowDelegate {
public:
    void progressWindowDidClose(TQCAppProgressWindowController* controller) override { closed.append(controller); }
    void progressWindowMenuCommandId(TQCAppProgressWindowController*, int tag) override { commands.append(tag); }
    QStringList dropPanelParsePasteboardMaxCount(TQNSViewDropPanel* panel, const QMimeData* pasteboard,
                                                 int maxCount) override;
    void dropPanelDragFinishedWithFilesPasteboard(TQNSViewDropPanel*, const QStringList& files,
                                                  const QMimeData*) override
    {
        droppedBatches.append(files);
    }
    void dropPanelOnEvent(TQNSViewDropPanel*, QMouseEvent*) override {}

    QList<TQCAppProgressWindowController*> closed;
    QList<int> commands;
    QList<QStringList> droppedBatches;
};

// Catches what the application asks the desktop to open (folders, files and web pages) for as
// long as it lives: local files by their path, other addresses whole.
class OpenedUrls final : public QObject {
    Q_OBJECT

public:
    OpenedUrls();
    ~OpenedUrls() override;

    QStringList urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url.isLocalFile() ? url.toLocalFile() : url.toString()); }
};

// Makes `folder` unwritable for this process for the life of the object: no write permission
// and, for root (whom permissions do not stop), the immutable attribute. usable() is false where
// neither works.
class UnwritableFolder final {
public:
    explicit UnwritableFolder(std::filesystem::path folder);
    ~UnwritableFolder();
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;
    bool usable() const;

private:
    std::filesystem::path folder_;
    bool immutable_ = false;
};

} // namespace sonvale::test
