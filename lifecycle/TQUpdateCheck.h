#pragma once

// The update check as the front end calls it. This build has no update service: no check runs,
// nothing is offered and the manual check does nothing. Main thread only.

class QWidget;

// Starts the background check once per run; the answer is not used by callers.
bool TQUpdateCheckStartInBackground();
// Offers a found update over `window`; true when an offer was made now.
bool TQUpdateOfferNewVersion(QWidget* window);
bool TQUpdateCheckIsBusy();
bool TQUpdateCheckWindowIsOpen();
// The Check for Updates command over `window`.
void TQUpdateCheckRunManual(QWidget* window);
