#pragma once

class TQCAppProgressWindowController;

// What a progress window tells the main window controller. Main thread only.
class TQCAppProgressWindowDelegate {
public:
    virtual ~TQCAppProgressWindowDelegate() = default;

    // The window has closed; its controller may go once this returns.
    virtual void progressWindowDidClose(TQCAppProgressWindowController* controller) = 0;
    // A command of the window's context menu (a menu tag) to act on that window.
    virtual void progressWindowMenuCommandId(TQCAppProgressWindowController* controller, int tag) = 0;
};
