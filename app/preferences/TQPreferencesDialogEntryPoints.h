#pragma once

// How the application shows, steers and closes its one preferences dialog. The dialog is created
// on the first show request of any kind and lives until TQPreferencesDialogClose(). Main thread
// only, except the "OnMainThread" calls and TQPreferencesDialogReopenIfLastVisible(), which may be
// called from any thread and hop to the main thread.

class QAction;
class QString;
class QWidget;
class TQPreferencesDialogDelegate;

// Brings the dialog to the front on the page it shows; records the usage event every time.
void TQPreferencesDialogShow();
// Shows the page at `index` (outside the list: the page shown already) and hands a non-empty
// `subPage` to it.
void TQPreferencesDialogShowPageAtIndex(int index, const QString& subPage);
// Shows the first page whose toolbar label equals `label` without regard to case.
void TQPreferencesDialogShowPageWithLabel(const QString& label, const QString& subPage);
void TQPreferencesDialogShowOnMainThread();
void TQPreferencesDialogShowPageWithLabelOnMainThread(const QString& label, const QString& subPage);
// The delegate of the dialog, also of one created later; the caller keeps it alive until it
// stores another one.
void TQPreferencesDialogSetDelegate(TQPreferencesDialogDelegate* delegate);
// Closes the window (the shown page saves first) and drops the dialog, even when the page refuses.
void TQPreferencesDialogClose();
// Shows the dialog when it was open when the application was last left.
void TQPreferencesDialogReopenIfLastVisible();
// The dialog's window; null without a dialog.
QWidget* TQPreferencesDialogGetWindow();
// Aims `item` (the application menu's reset item) at the reset command of the dialog in the active
// window, replacing its earlier aim. False, and aimed at nothing, when no dialog is in front or its
// page can't reset.
bool TQPreferencesDialogAimResetItem(QAction* item);
