#pragma once

#include <QWidget>

class TQNSTextFieldLink;

// The part of the Import from Music sheet below the playlists: a link to the destination
// settings, so that a person can organise the converted tracks before starting. The link is off
// while the preferences dialog shows a sheet. Main thread only.
class TQCAppMainWindowImportFromMusicView final : public QWidget {
    Q_OBJECT

public:
    explicit TQCAppMainWindowImportFromMusicView(QWidget* parent = nullptr);

    TQNSTextFieldLink* organizeDestFiles() const { return organizeDestFiles_; }
    void enableControls();
    // Opens the preferences dialog on the destination settings.
    void organizeDestinationFiles();

protected:
    bool event(QEvent* event) override;

private:
    TQNSTextFieldLink* organizeDestFiles_;
};
