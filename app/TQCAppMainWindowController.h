#pragma once

#include <QPointer>
#include <QStringList>

class QAction;
class QObject;
class QWidget;

// Owns the main window and receives what the application delegate hands on: sources to convert,
// the commands of the Dock and application menus and the quit decisions. This is the part of the
// controller the start-up needs; the window's contents and the conversion start build on it.
// Main thread only. The calls are virtual so that a test can stand in for the controller.
class TQCAppMainWindowController {
public:
    TQCAppMainWindowController() = default;
    virtual ~TQCAppMainWindowController() = default;
    TQCAppMainWindowController(const TQCAppMainWindowController&) = delete;
    TQCAppMainWindowController& operator=(const TQCAppMainWindowController&) = delete;

    QWidget* window() const { return window_; }
    virtual void setWindow(QWidget* window) { window_ = window; }
    // Sets the window up once the application has launched.
    virtual void windowDidLoad() {}

    // Sources to convert; an empty list is ignored.
    virtual void startConversionWithFilesAccumulate(const QStringList& files);

    // Set once quitting has been decided; from then on the application ends with its last window.
    virtual bool appQuitInProgress() const { return false; }
    // Closes the windows on the way to quitting: 1 terminate now, 0 cancel (the controller quits
    // later itself).
    virtual int closeAndRequestQuitApp(QObject* sender);
    // Whether "Close All" has something to close.
    virtual bool closeAllCustomAccessible() const { return false; }
    virtual bool validateMenuItem(QAction* item);

    virtual void paste(QObject* sender);
    virtual void delegateAction(QObject* sender);
    virtual void closeAllCustom(QObject* sender);

private:
    QPointer<QWidget> window_;
};
