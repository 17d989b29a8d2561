#pragma once

#include <QObject>
#include <QPointer>

class QDialog;
class QWidget;

// The sheet of one window: the window-modal dialog attached to it while it is open. Many callers
// ask whether a window has a sheet before they show anything over it. One per top-level window,
// owned by that window. Main thread only.
class TQKitWindowSheet final : public QObject {
    Q_OBJECT

public:
    // The sheet registry of `window`'s top-level window, created on first use.
    static TQKitWindowSheet* of(QWidget* window);

    // Makes `sheet` window-modal over the window and registers it until it finishes or is
    // destroyed; the caller then shows it (open() or exec()). False, and nothing changes, when the
    // window already has a sheet.
    bool attach(QDialog* sheet);
    bool hasSheet() const { return !sheet_.isNull(); }
    QDialog* sheet() const { return sheet_; }
    // Ends the sheet as if it had answered `returnCode`; nothing happens without a sheet.
    void endSheet(int returnCode);

Q_SIGNALS:
    // The sheet finished with `returnCode` and the window has none any more.
    void sheetEnded(int returnCode);

private:
    explicit TQKitWindowSheet(QWidget* window);

    QWidget* window_;
    QPointer<QDialog> sheet_;
};

// Whether `window` (any widget of it) has a sheet open; false for null.
bool TQKitWindowHasSheet(QWidget* window);
// Ends `window`'s sheet with `returnCode`, when it has one.
void TQKitWindowEndSheet(QWidget* window, int returnCode);
