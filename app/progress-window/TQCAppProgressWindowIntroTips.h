#pragma once

// The one-time tips of a progress window that point to its links and its details button, shown
// only while the online features are on (application parameter "TQCAppVersion" 430). Main thread.

class TQCAppProgressWindowController;

class TQCAppProgressWindowIntroTips final {
public:
    // The introductory tips are on.
    static bool enabled();
    // Offers the first tip that applies, in order: the top link of a finished batch, the Lyrebook
    // link, the export to Music, the details button; stops at the first one shown.
    static void show(TQCAppProgressWindowController& controller);
};
