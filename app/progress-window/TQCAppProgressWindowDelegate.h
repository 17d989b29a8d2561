#pragma once

#include "app/controls/TQNSViewDropPanelDelegate.h"

class TQCAppProgressWindowController;

// What a progress window tells the main window controller. As the delegate of the window's drop
// panel it also receives the files dropped or pasted on the window, which start a new batch.
// Main thread only.
class TQCAppProgressWindowDelegate : public TQNSViewDropPanelDelegate {
public:
    // The window has closed; its controller may go once this returns.
    virtual void progressWindowDidClose(TQCAppProgressWindowController* controller) = 0;
    // A command of the window's context menu (a menu tag) to act on that window.
    virtual void progressWindowMenuCommandId(TQCAppProgressWindowController* controller, int tag) = 0;
};
