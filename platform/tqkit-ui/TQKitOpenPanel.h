#pragma once

#include <QFileDialog>
#include <QStringList>

// An open panel that chooses several files and folders at once. Qt's own dialogs choose either
// files or one folder, so this is Qt's non-native dialog with its own accept: the entries selected
// in the list, folders and files alike, are the choice; with none selected, the names typed in the
// file name field that exist. A double click still opens a folder. Main thread only.
class TQKitOpenPanel final : public QFileDialog {
    Q_OBJECT

public:
    // `prompt` is the accept button's label.
    TQKitOpenPanel(QWidget* parent, const QString& message, const QString& prompt);

    // The chosen files and folders once the panel was accepted.
    QStringList chosenPaths() const { return chosenPaths_; }

public Q_SLOTS:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Absolute paths of the entries selected in the dialog's file list.
    QStringList selectedEntries() const;
    void keepAcceptButtonEnabled();

    const QString prompt_;
    QStringList chosenPaths_;
    bool watchingSelection_ = false;
};
