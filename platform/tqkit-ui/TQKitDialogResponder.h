#pragma once

#include "platform/tqkit-ui/TQKitAlertResponder.h"

// Answers alert requests through real dialogs: a window-modal box registered as the parent
// window's sheet, or an application-modal box without a parent. A modal request runs the dialog's
// own event loop until the person answers; the others return at once.
class TQKitDialogResponder final : public TQKitAlertResponder {
public:
    void present(const TQKitAlertRequest& request, Completion done) override;
};
