#include "app/preferences/TQPreferencesDialogWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

using namespace Qt::StringLiterals;

TQPreferencesDialogWindow::TQPreferencesDialogWindow(std::function<void()> closeButtonAction)
    : closeButtonAction_(std::move(closeButtonAction))
{
    setObjectName(u"preferencesDialog"_s);
}

void TQPreferencesDialogWindow::closeEvent(QCloseEvent* event)
{
    // The controller hides the window itself once the shown page has saved.
    event->ignore();
    closeButtonAction_();
}

void TQPreferencesDialogWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeButtonAction_();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
