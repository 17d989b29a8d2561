#pragma once

// The notice shown at launch when the previous run crashed: it says so, asks for help, and
// Continue opens the support page. The reports are sent by the crash service whatever the answer.
// Main thread.

class QString;

// The texts with the application's name filled in.
QString TQCrashNoticeTitle();
QString TQCrashNoticeMessage();

// Shows the notice (application-modal, answered later).
void TQCrashNoticeShow();
