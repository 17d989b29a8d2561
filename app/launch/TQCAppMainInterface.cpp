#include "app/launch/TQCAppMainInterface.h"

#include "app/launch/TQCAppDelegateCustom.h"
#include "app/main-window/TQCAppMainWindow.h"
#include "app/main-window/TQCAppMainWindowControllerCustom.h"

#include <QApplication>
#include <QIcon>

using namespace Qt::StringLiterals;

std::unique_ptr<TQKitAppDelegate> TQCAppLoadMainInterface()
{
    Q_INIT_RESOURCE(sonvale); // kept by the linker although it lives in a static library
    // The icon theme's copy (an installed one) wins over the built-in one.
    QApplication::setWindowIcon(QIcon::fromTheme(u"sonvale"_s, QIcon(u":/icons/sonvale.svg"_s)));
    auto window = std::make_unique<TQCAppMainWindow>();

    auto delegate = std::make_unique<TQCAppDelegateCustom>();
    delegate->setWindow(std::move(window));
    delegate->setMainWindowController(std::make_unique<TQCAppMainWindowControllerCustom>());
    return delegate;
}
