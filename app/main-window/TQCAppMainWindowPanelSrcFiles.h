#pragma once

#include "app/controls/TQNSViewDropPanel.h"

// The source drop area of the main window: a drop panel drawn as a framed target, so that the
// person sees where files go. It takes whatever its delegate accepts. Main thread only.
class TQCAppMainWindowPanelSrcFiles final : public TQNSViewDropPanel {
    Q_OBJECT

public:
    using TQNSViewDropPanel::TQNSViewDropPanel;

protected:
    void paintEvent(QPaintEvent* event) override;
};
