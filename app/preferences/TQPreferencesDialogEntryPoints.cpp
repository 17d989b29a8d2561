#include "app/preferences/TQPreferencesDialogEntryPoints.h"

#include "app/preferences/TQPreferencesDialogController.h"
#include "app/preferences/TQPreferencesDialogCreate.h"
#include "app/preferences/TQPreferencesViewController.h"
#include "lifecycle/TQAnalytics.h"
#include "platform/tqkit-ui/TQKitMainThread.h"

#include <QAction>
#include <QCoreApplication>
#include <QString>
#include <QWidget>

namespace {

TQPreferencesDialogController* sharedDialog = nullptr;
TQPreferencesDialogDelegate* storedDelegate = nullptr;
QMetaObject::Connection resetItemAim;

TQPreferencesDialogController* dialog()
{
    if (!sharedDialog) {
        sharedDialog = TQPreferencesDialogCreate();
        if (storedDelegate)
            sharedDialog->setDelegate(storedDelegate);
    }
    return sharedDialog;
}

} // namespace

void TQPreferencesDialogShow()
{
    dialog()->showWindow();
    TQAnalyticsPostEvent("ae_cnv_preferences");
}

void TQPreferencesDialogShowPageAtIndex(int index, const QString& subPage)
{
    TQPreferencesDialogController* shown = dialog();
    if (index >= 0 && index < shown->viewControllers().size()) {
        shown->selectControllerAtIndex(index);
        if (!subPage.isEmpty()) {
            if (TQPreferencesViewController* page = shown->selectedViewController())
                page->selectSubPage(subPage);
        }
    }
    TQPreferencesDialogShow();
}

void TQPreferencesDialogShowPageWithLabel(const QString& label, const QString& subPage)
{
    const QList<TQPreferencesViewController*>& pages = dialog()->viewControllers();
    for (qsizetype index = 0; index < pages.size(); ++index) {
        if (pages[index] && pages[index]->toolbarItemLabel().compare(label, Qt::CaseInsensitive) == 0) {
            TQPreferencesDialogShowPageAtIndex(static_cast<int>(index), subPage);
            return;
        }
    }
    TQPreferencesDialogShow();
}

void TQPreferencesDialogShowOnMainThread()
{
    if (TQKitIsMainThread())
        TQPreferencesDialogShow();
    else
        TQKitPerformOnMainThread(QCoreApplication::instance(), [] { TQPreferencesDialogShow(); });
}

void TQPreferencesDialogShowPageWithLabelOnMainThread(const QString& label, const QString& subPage)
{
    if (TQKitIsMainThread())
        TQPreferencesDialogShowPageWithLabel(label, subPage);
    else
        TQKitPerformOnMainThread(QCoreApplication::instance(),
                                 [label, subPage] { TQPreferencesDialogShowPageWithLabel(label, subPage); });
}

void TQPreferencesDialogSetDelegate(TQPreferencesDialogDelegate* delegate)
{
    storedDelegate = delegate;
    if (sharedDialog)
        sharedDialog->setDelegate(delegate);
}

void TQPreferencesDialogClose()
{
    if (!sharedDialog)
        return;
    sharedDialog->closeWindow();
    delete sharedDialog;
    sharedDialog = nullptr;
}

void TQPreferencesDialogReopenIfLastVisible()
{
    if (TQPreferencesDialogController::lastVisibilityStatus())
        TQPreferencesDialogShowOnMainThread();
}

QWidget* TQPreferencesDialogGetWindow() { return sharedDialog ? sharedDialog->window() : nullptr; }

bool TQPreferencesDialogAimResetItem(QAction* item)
{
    QObject::disconnect(resetItemAim);
    TQPreferencesDialogController* dialog = TQPreferencesDialogController::keyViewController();
    if (!item || !dialog || !dialog->window()->isVisible() || !dialog->respondsToResetPreferences())
        return false;
    resetItemAim = QObject::connect(item, &QAction::triggered, dialog, [dialog] { dialog->resetPreferences(); });
    return true;
}
