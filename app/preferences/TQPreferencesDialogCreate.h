#pragma once

class TQPreferencesDialogController;

// The application's preferences dialog with its pages in toolbar order, the help button on and the
// first page shown when none is remembered. The caller owns the dialog. Main thread only.
TQPreferencesDialogController* TQPreferencesDialogCreate();
