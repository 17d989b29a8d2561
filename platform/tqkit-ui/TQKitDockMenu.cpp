#include "platform/tqkit-ui/TQKitDockMenu.h"

#include "platform/tqkit-ui/TQKitAppDelegate.h"

#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>

TQKitDockMenu::TQKitDockMenu(TQKitAppDelegate& delegate, QObject* parent)
    : QObject(parent), delegate_(delegate), menu_(std::make_unique<QMenu>())
{
    connect(menu_.get(), &QMenu::aboutToShow, this, [this] { refill(menu_.get()); });
    connect(menu_.get(), &QMenu::triggered, this, [this](QAction* item) { delegate_.performMenuAction(item); });
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_MediaVolume);
    trayIcon_ = new QSystemTrayIcon(icon, this);
    trayIcon_->setToolTip(QApplication::applicationDisplayName());
    trayIcon_->setContextMenu(menu_.get());
    trayIcon_->show();
}

TQKitDockMenu::~TQKitDockMenu()
{
    delete trayIcon_; // before the menu it shows
}

void TQKitDockMenu::refill(QMenu* menu)
{
    menu->clear();
    const std::unique_ptr<QMenu> fresh = delegate_.applicationDockMenu();
    if (!fresh)
        return;
    for (QAction* item : fresh->actions()) {
        item->setParent(menu);
        menu->addAction(item);
        if (!item->isSeparator())
            item->setEnabled(delegate_.validateMenuItem(item));
    }
}
