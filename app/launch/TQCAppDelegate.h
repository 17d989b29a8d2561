#pragma once

#include "platform/tqkit-ui/TQKitAppDelegate.h"
#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <QString>

#include <memory>

class QObject;
class TQCAppMainWindowController;

// Turns the launch, open, reopen, Dock-menu and quit requests of the application into calls on the
// one main window controller. Open requests that arrive before the launch has finished are retried
// every 0.1 s until it has. Lives for the whole process; main thread only.
class TQCAppDelegate : public TQKitAppDelegate {
public:
    TQCAppDelegate();
    ~TQCAppDelegate() override;

    // The main window and its controller, as the main interface connects them. The delegate owns
    // both; the controller goes first.
    QWidget* window() const override { return window_.get(); }
    void setWindow(std::unique_ptr<QWidget> window);
    TQCAppMainWindowController* mainWindowController() const { return mainWindowController_.get(); }
    void setMainWindowController(std::unique_ptr<TQCAppMainWindowController> controller);

    // A URL handed to the application is handled like an opened file; an empty one is ignored.
    void handleGetURLEvent(const QString& url);
    bool applicationOpenFile(const QString& path);
    bool applicationOpenTempFile(const QString& path);
    void applicationOpenFiles(const QStringList& files) override;
    void startConversionWithFiles(const QStringList& files);

    void applicationDidFinishLaunching() override;
    bool applicationShouldHandleReopenHasVisibleWindows(bool hasVisibleWindows) override;
    bool applicationShouldTerminateAfterLastWindowClosed() override;
    int applicationShouldTerminate() override;

    std::unique_ptr<QMenu> applicationDockMenu() override;
    bool validateMenuItem(QAction* item) override;
    void performMenuAction(QAction* item) override;

    void checkForUpdates(QObject* sender);
    void paste(QObject* sender);
    void delegateAction(QObject* sender);
    void closeAllCustom(QObject* sender);

private:
    bool appInitialized_ = false;
    std::unique_ptr<QWidget> window_;
    std::unique_ptr<TQCAppMainWindowController> mainWindowController_;
    TQKitDelayedCalls delayedCalls_; // declared last: pending retries go before anything they use
};
