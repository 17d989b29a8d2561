#include "platform/tqkit-ui/TQKitOpenPanel.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QPushButton>

using namespace Qt::StringLiterals;

TQKitOpenPanel::TQKitOpenPanel(QWidget* parent, const QString& message, const QString& prompt)
    : QFileDialog(parent, message), prompt_(prompt)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setLabelText(QFileDialog::Accept, prompt);
}

QStringList TQKitOpenPanel::selectedEntries() const
{
    QStringList entries;
    for (const auto* view : findChildren<QAbstractItemView*>()) {
        if (!view->isVisible() || !view->selectionModel() || !qobject_cast<const QFileSystemModel*>(view->model()))
            continue;
        for (const QModelIndex& index : view->selectionModel()->selectedRows())
            entries.append(index.data(QFileSystemModel::FilePathRole).toString());
        if (!entries.isEmpty())
            break;
    }
    return entries;
}

void TQKitOpenPanel::showEvent(QShowEvent* event)
{
    QFileDialog::showEvent(event);
    if (watchingSelection_)
        return;
    // Qt's dialog builds its views when first shown. It renames its button while a folder is
    // selected ("go into it"): here a selected folder is a choice like a file, so the button
    // keeps its label, set again after Qt's own update.
    watchingSelection_ = true;
    for (auto* view : findChildren<QAbstractItemView*>()) {
        if (view->selectionModel())
            connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                    &TQKitOpenPanel::keepAcceptButtonEnabled, Qt::QueuedConnection);
    }
}

void TQKitOpenPanel::keepAcceptButtonEnabled()
{
    auto* buttons = findChild<QDialogButtonBox*>();
    QPushButton* button = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
    if (!button || selectedEntries().isEmpty())
        return;
    button->setText(prompt_);
    button->setEnabled(true);
}

void TQKitOpenPanel::accept()
{
    QStringList entries = selectedEntries();
    if (entries.isEmpty()) {
        for (const QString& typed : selectedFiles()) {
            if (QFileInfo::exists(typed) && !QFileInfo(typed).isDir())
                entries.append(QDir::cleanPath(typed));
        }
    }
    if (entries.isEmpty()) {
        // A typed folder or nothing usable: Qt's own handling (it opens the folder, or refuses).
        QFileDialog::accept();
        return;
    }
    chosenPaths_ = entries;
    QDialog::accept();
}
