#include "app/TQCAppMainWindowController.h"

// Nothing is converted yet and no other window exists: requests are taken and dropped, quitting is
// immediate and every command is available.

void TQCAppMainWindowController::startConversionWithFilesAccumulate(const QStringList&) {}

int TQCAppMainWindowController::closeAndRequestQuitApp(QObject*) { return 1; }

bool TQCAppMainWindowController::validateMenuItem(QAction*) { return true; }

void TQCAppMainWindowController::paste(QObject*) {}

void TQCAppMainWindowController::delegateAction(QObject*) {}

void TQCAppMainWindowController::closeAllCustom(QObject*) {}
