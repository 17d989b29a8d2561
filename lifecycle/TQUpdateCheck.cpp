#include "lifecycle/TQUpdateCheck.h"

bool TQUpdateCheckStartInBackground() { return false; }

bool TQUpdateOfferNewVersion(QWidget*) { return false; }

bool TQUpdateCheckIsBusy() { return false; }

bool TQUpdateCheckWindowIsOpen() { return false; }

void TQUpdateCheckRunManual(QWidget*) {}
