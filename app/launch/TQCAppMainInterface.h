#pragma once

#include "platform/tqkit-ui/TQKitAppDelegate.h"

#include <memory>

// What the application's main interface holds: the main window ("Sonvale"), its controller and the
// application delegate that owns them, connected. Main thread, once QApplication exists.
std::unique_ptr<TQKitAppDelegate> TQCAppLoadMainInterface();
