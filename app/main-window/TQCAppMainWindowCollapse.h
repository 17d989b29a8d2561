#pragma once

#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <QList>
#include <QPointer>
#include <QRect>

class QWidget;
class TQCAppMainWindow;

// The two sizes of the main window: full (655 x 148 content, with the menu bar) and collapsed to a
// 250 x 39 drop target that shows only the Settings button and the toggle. Both are fixed sizes.
// The state and a stay-in-front choice per state are remembered in section "TQCSetting". Owned by
// the main window controller; main thread only.
class TQCAppMainWindowCollapse final {
public:
    static constexpr int kCollapsedWidth = 250;
    static constexpr int kCollapsedHeight = 39;
    static constexpr int kFullWidth = 655;
    static constexpr int kFullHeight = 148;

    // Takes the views to hide and the Settings button's full-window frame from `window` as it is.
    explicit TQCAppMainWindowCollapse(TQCAppMainWindow* window);

    // A window narrower than 300 points counts as collapsed.
    bool isCollapsed() const;
    void setCollapsed(bool collapsed, bool animate);

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
    QRect preferencesButtonFrame_;   // the Settings button in the full window
    TQKitDelayedCalls delayedCalls_;
};
