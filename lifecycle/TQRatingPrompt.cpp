#include "lifecycle/TQRatingPrompt.h"

void TQRatingPromptStartup() {}

bool TQRatingPromptSignificantEvent(QWidget*) { return false; }
