#include "app/TQCAppMainInterface.h"

#include "app/TQCAppDelegateCustom.h"
#include "app/TQCAppMainWindow.h"
#include "app/TQCAppMainWindowControllerCustom.h"


std::unique_ptr<TQKitAppDelegate> TQCAppLoadMainInterface()
{
    auto window = std::make_unique<TQCAppMainWindow>();

    auto delegate = std::make_unique<TQCAppDelegateCustom>();
    delegate->setWindow(std::move(window));
    delegate->setMainWindowController(std::make_unique<TQCAppMainWindowControllerCustom>());
    return delegate;
}
