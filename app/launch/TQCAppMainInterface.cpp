#include "app/launch/TQCAppMainInterface.h"

#include "app/launch/TQCAppDelegateCustom.h"
#include "app/main-window/TQCAppMainWindow.h"
#include "app/main-window/TQCAppMainWindowControllerCustom.h"


std::unique_ptr<TQKitAppDelegate> TQCAppLoadMainInterface()
{
    auto window = std::make_unique<TQCAppMainWindow>();

    auto delegate = std::make_unique<TQCAppDelegateCustom>();
    delegate->setWindow(std::move(window));
    delegate->setMainWindowController(std::make_unique<TQCAppMainWindowControllerCustom>());
    return delegate;
}
