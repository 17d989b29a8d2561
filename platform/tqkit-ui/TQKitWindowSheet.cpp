#include "platform/tqkit-ui/TQKitWindowSheet.h"

#include <QDialog>
#include <QWidget>

namespace {

TQKitWindowSheet* existingRegistry(QWidget* window)
{
    return window ? window->window()->findChild<TQKitWindowSheet*>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

} // namespace

TQKitWindowSheet::TQKitWindowSheet(QWidget* window) : QObject(window), window_(window) {}

TQKitWindowSheet* TQKitWindowSheet::of(QWidget* window)
{
    if (!window)
        return nullptr;
    if (TQKitWindowSheet* registry = existingRegistry(window))
        return registry;
    return new TQKitWindowSheet(window->window());
}

bool TQKitWindowSheet::attach(QDialog* sheet)
{
    if (!sheet || hasSheet())
        return false;
    if (sheet->parentWidget() != window_)
        sheet->setParent(window_, sheet->windowFlags() | Qt::Dialog);
    sheet->setWindowModality(Qt::WindowModal);
    sheet_ = sheet;
    connect(sheet, &QDialog::finished, this, [this, sheet](int returnCode) {
        if (sheet_ != sheet)
            return;
        sheet_ = nullptr;
        Q_EMIT sheetEnded(returnCode);
    });
    return true;
}

void TQKitWindowSheet::endSheet(int returnCode)
{
    if (sheet_)
        sheet_->done(returnCode);
}

bool TQKitWindowHasSheet(QWidget* window)
{
    const TQKitWindowSheet* registry = existingRegistry(window);
    return registry && registry->hasSheet();
}

void TQKitWindowEndSheet(QWidget* window, int returnCode)
{
    if (TQKitWindowSheet* registry = existingRegistry(window))
        registry->endSheet(returnCode);
}
