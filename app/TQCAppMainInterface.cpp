#include "app/TQCAppMainInterface.h"

#include "app/TQCAppDelegateCustom.h"
#include "app/TQCAppMainWindowController.h"

#include <QMainWindow>

using namespace Qt::StringLiterals;

std::unique_ptr<TQKitAppDelegate> TQCAppLoadMainInterface()
{
    auto window = std::make_unique<QMainWindow>();
    window->setObjectName(u"mainWindow"_s);
    window->setWindowTitle(u"Sonvale"_s);
    window->resize(480, 300);

    auto delegate = std::make_unique<TQCAppDelegateCustom>();
    delegate->setWindow(std::move(window));
    delegate->setMainWindowController(std::make_unique<TQCAppMainWindowController>());
    return delegate;
}
