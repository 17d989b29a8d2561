#pragma once

#include "platform/tqkit-ui/TQKitAlertRequest.h"

#include <functional>

// Who answers the alert calls: the person through real dialogs in the application, a script in
// tests. Called on the main thread only.
class TQKitAlertResponder {
public:
    using Completion = std::function<void(const TQKitAlertAnswer&)>;

    virtual ~TQKitAlertResponder() = default;

    // Presents `request` and calls `done` exactly once with the answer, on the main thread. For a
    // modal request `done` has run when this returns; otherwise it runs later from the event loop.
    virtual void present(const TQKitAlertRequest& request, Completion done) = 0;

    // The responder in use: the one installed, else the real dialogs.
    static TQKitAlertResponder& current();
    // Installs `responder` (not owned; it must outlive its use), or the real dialogs again for null.
    static void install(TQKitAlertResponder* responder);
};
