#pragma once

// The entry points of the preferences dialog as the main window calls them. These are stand-ins
// until the preferences dialog is built: no dialog opens and none is open. Main thread only.

class QString;
class QWidget;
class TQPreferencesDialogDelegate;

void TQPreferencesDialogShowOnMainThread();
void TQPreferencesDialogShowPageWithLabelOnMainThread(const QString& page, const QString& label);
void TQPreferencesDialogClose();
void TQPreferencesDialogSetDelegate(TQPreferencesDialogDelegate* delegate);
void TQPreferencesDialogReopenIfLastVisible();
// The dialog's window while it is open; null otherwise.
QWidget* TQPreferencesDialogGetWindow();
