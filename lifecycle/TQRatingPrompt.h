#pragma once

// The app-rating prompt as the front end calls it (see TQAppirater). Main thread only.

class QWidget;

// Configures the prompt once, from windowDidLoad of the main window: the thresholds, the texts
// of the remote configuration (read again once it is loaded) and the gate.
void TQRatingPromptStart();
// Counts one significant event; true when the prompt was shown over `window` (the caller then
// abandons the close or quit step it was taking).
bool TQRatingPromptIncrementSigEventAndRate(QWidget* window);
// Reads the prompt's texts and period from the remote configuration.
void TQRatingPromptReadRemote(void* context);
// The gate: online features of this version, and no update being offered at the moment.
bool TQRatingPromptGate(int kind);

void TQRatingPromptSetDaysUntilPrompt(int days);
void TQRatingPromptSetUsesUntilPrompt(int uses);
void TQRatingPromptSetSigEventsUntilPrompt(int events);
void TQRatingPromptSetDaysToPromptAgain(int days);
void TQRatingPromptSetEnabled(bool enabled);
void TQRatingPromptSetCallback(bool (*gate)(int kind));
void TQRatingPromptSetTitleFormat(const char* text);
void TQRatingPromptSetQuestion(const char* text);
void TQRatingPromptSetURL(const char* text);
