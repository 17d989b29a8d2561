#pragma once

#include "app/controls/TQNSViewDropPanel.h"

// The drop target beside the destination picker: it takes exactly one existing folder, which its
// delegate makes the destination. Main thread only.
class TQCAppMainWindowPanelDstDir final : public TQNSViewDropPanel {
    Q_OBJECT

public:
    using TQNSViewDropPanel::TQNSViewDropPanel;

    bool draggingEntered(const QMimeData* data) override;
    bool performDragOperation(const QMimeData* data) override;
};
