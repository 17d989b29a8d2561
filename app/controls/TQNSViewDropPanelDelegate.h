#pragma once

#include <QStringList>

class QMimeData;
class QMouseEvent;
class TQNSViewDropPanel;

// What a drop panel asks of its owner: to turn a pasteboard into items (paths, URLs) and to act on
// dropped items. A null pasteboard means the clipboard. Main thread only.
class TQNSViewDropPanelDelegate {
public:
    virtual ~TQNSViewDropPanelDelegate() = default;

    // maxCount 0 asks for all items, 1 only whether there is any, other values cap the count.
    virtual QStringList dropPanelParsePasteboardMaxCount(TQNSViewDropPanel* panel, const QMimeData* pasteboard,
                                                         int maxCount) = 0;
    virtual void dropPanelDragFinishedWithFilesPasteboard(TQNSViewDropPanel* panel, const QStringList& files,
                                                          const QMimeData* pasteboard) = 0;
    // A mouse button was released (MouseButtonRelease) or double-clicked (MouseButtonDblClick)
    // over the panel.
    virtual void dropPanelOnEvent(TQNSViewDropPanel* panel, QMouseEvent* event) = 0;
};
