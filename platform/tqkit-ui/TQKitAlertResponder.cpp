#include "platform/tqkit-ui/TQKitAlertResponder.h"

#include "platform/tqkit-ui/TQKitDialogResponder.h"

namespace {

TQKitAlertResponder* installedResponder = nullptr; // main thread only

} // namespace

TQKitAlertResponder& TQKitAlertResponder::current()
{
    static TQKitDialogResponder dialogs;
    return installedResponder ? *installedResponder : dialogs;
}

void TQKitAlertResponder::install(TQKitAlertResponder* responder) { installedResponder = responder; }
