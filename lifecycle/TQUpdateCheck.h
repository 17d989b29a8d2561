#pragma once

// The update check as the front end calls it (see TQUpdateChecker). Main thread only.

class QWidget;

// Starts the background check once per run; true when it started now or still runs.
bool TQUpdateCheckStartInBackground();
// Offers a found update over `window` (or on its own for null); true when an offer was made now.
bool TQUpdateOfferNewVersion(QWidget* window);
bool TQUpdateCheckIsBusy();
bool TQUpdateCheckWindowIsOpen();
bool TQUpdateCheckIsRunning();
bool TQUpdateWindowIsBusy();
bool TQUpdateWindowIsShown();
// The Check for Updates command over `window`.
void TQUpdateCheckRunManual(QWidget* window);
// Whether the Check for Updates command is offered: with the online features of this version and
// while a newer version is announced.
bool TQUpdateCheckCommandIsVisible();
