#pragma once

#include <QMainWindow>

#include <functional>

// The preferences dialog's window: a toolbar of page buttons over the shown page. Its close button
// and Escape go to the controller instead of closing the window; the toolbar can't be hidden or
// moved. Main thread only.
class TQPreferencesDialogWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit TQPreferencesDialogWindow(std::function<void()> closeButtonAction);

    QMenu* createPopupMenu() override { return nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> closeButtonAction_;
};
