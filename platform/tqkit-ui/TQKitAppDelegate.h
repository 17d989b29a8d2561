#pragma once

#include <QStringList>

#include <memory>

class QAction;
class QMenu;
class QWidget;

// What the application's main loop asks of the application: the launch, open and reopen requests,
// the Dock menu and the quit decisions. TQKitAppMain calls these on the main thread.
class TQKitAppDelegate {
public:
    virtual ~TQKitAppDelegate() = default;

    // The main window, shown when the application starts.
    virtual QWidget* window() const = 0;

    virtual void applicationDidFinishLaunching() = 0;
    // Files, folders and URLs to convert: launch arguments (delivered before the launch finishes)
    // and those of later launches.
    virtual void applicationOpenFiles(const QStringList& files) = 0;
    // Sonvale was launched again without arguments.
    virtual bool applicationShouldHandleReopenHasVisibleWindows(bool hasVisibleWindows) = 0;
    virtual bool applicationShouldTerminateAfterLastWindowClosed() = 0;
    // 1: terminate now; 0: cancel (the application decides later).
    virtual int applicationShouldTerminate() = 0;

    // A new Dock menu each time it is shown.
    virtual std::unique_ptr<QMenu> applicationDockMenu() = 0;
    virtual bool validateMenuItem(QAction* item) = 0;
    // Sends an item's action (TQKitMenuItemAction) with the item as sender.
    virtual void performMenuAction(QAction* item) = 0;
};
