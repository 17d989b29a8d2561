#pragma once

#include "app/launch/TQCAppDelegate.h"

// The delegate class the main interface creates; it adds nothing to TQCAppDelegate.
class TQCAppDelegateCustom final : public TQCAppDelegate {
public:
    using TQCAppDelegate::TQCAppDelegate;
};
