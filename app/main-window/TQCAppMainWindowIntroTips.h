#pragma once

#include <functional>

class TQCAppMainWindow;

// What the tips' buttons do.
struct TQCAppMainWindowIntroTipActions {
    std::function<void()> showPreferences;
    std::function<void()> showIntroductoryToolTips;
    std::function<void()> contactUs;
    std::function<void()> expandCollapseWindow;
};

// Offers the main window's introductory tips in order (Settings, Destination Folder, Help, the
// collapse toggle) and stops at the first one shown. Main thread only.
void TQCAppMainWindowOfferIntroTips(TQCAppMainWindow* window, const TQCAppMainWindowIntroTipActions& actions);
