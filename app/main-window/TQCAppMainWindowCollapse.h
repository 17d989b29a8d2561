#pragma once

#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <QList>
#include <QPointer>

class QWidget;
class TQCAppMainWindow;

// The two sizes of the main window: full (655 x 148 content, with the menu bar) and collapsed to a
// 250 x 39 drop target that shows only the Settings button and the toggle; larger fonts make both
// larger (TQCAppMainWindow::fullContentSize). Both are fixed sizes.
// The state and a stay-in-front choice per state are remembered in section "TQCSetting". Owned by
// the main window controller; main thread only.
class TQCAppMainWindowCollapse final {
public:
    // Takes the views to hide from `window`.
    explicit TQCAppMainWindowCollapse(TQCAppMainWindow* window);

    // A window narrower than 300 points counts as collapsed.
    bool isCollapsed() const;
    void setCollapsed(bool collapsed, bool animate);
    // Sizes the window again for the current state, after its fonts changed.
    void refit();

    static void setCollapsedSetting(bool collapsed);
    static bool getCollapsedSetting();
    static void setStayInFrontSettingCollapsed(bool inFront, bool collapsed);
    // Unset: a collapsed window stays in front, a full one does not.
    static bool getStayInFrontSettingCollapsed(bool collapsed);

private:
    void finishCollapsing();
    void finishExpanding();

    QPointer<TQCAppMainWindow> window_;
    QList<QPointer<QWidget>> views_; // hidden while collapsed
    bool collapsed_ = false;
    TQKitDelayedCalls delayedCalls_;
};
