#include "app/preferences/TQPreferencesDialogEntryPoints.h"

void TQPreferencesDialogShowOnMainThread() {}

void TQPreferencesDialogShowPageWithLabelOnMainThread(const QString&, const QString&) {}

void TQPreferencesDialogClose() {}

void TQPreferencesDialogSetDelegate(TQPreferencesDialogDelegate*) {}

void TQPreferencesDialogReopenIfLastVisible() {}

QWidget* TQPreferencesDialogGetWindow() { return nullptr; }
