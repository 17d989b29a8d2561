#pragma once

#include <QObject>

#include <memory>

class QMenu;
class QSystemTrayIcon;
class TQKitAppDelegate;

// The Dock menu's place on Linux: the delegate's Dock menu on a tray icon, where the desktop has a
// tray. The menu is built afresh from the delegate each time it opens. Main thread only.
class TQKitDockMenu final : public QObject {
    Q_OBJECT

public:
    explicit TQKitDockMenu(TQKitAppDelegate& delegate, QObject* parent = nullptr);
    ~TQKitDockMenu() override;

    // Replaces the items of `menu` with those of the delegate's Dock menu, each enabled as the
    // delegate validates it.
    void refill(QMenu* menu);

private:
    TQKitAppDelegate& delegate_;
    std::unique_ptr<QMenu> menu_;
    QSystemTrayIcon* trayIcon_ = nullptr;
};
