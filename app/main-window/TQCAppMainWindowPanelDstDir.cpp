#include "app/main-window/TQCAppMainWindowPanelDstDir.h"

bool TQCAppMainWindowPanelDstDir::draggingEntered(const QMimeData* data)
{
    if (!draggingEnabled() || TQDropPanelSingleFolder(this, data).isEmpty())
        return false;
    setCurrentPanelColor(backgroundHighlightColor());
    return true;
}

bool TQCAppMainWindowPanelDstDir::performDragOperation(const QMimeData* data)
{
    if (!draggingEnabled())
        return false;
    const QString folder = TQDropPanelSingleFolder(this, data);
    return !folder.isEmpty() && TQDropPanelFinishDrag(this, {folder}, data);
}
