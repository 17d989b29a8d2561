#include "app/controls/TQNSViewDropPanel.h"

#include "app/controls/TQNSViewDropPanelDelegate.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QPalette>

TQNSViewDropPanel::TQNSViewDropPanel(QWidget* parent) : QWidget(parent) {}

void TQNSViewDropPanel::setDelegate(TQNSViewDropPanelDelegate* delegate)
{
    delegate_ = delegate;
    setDraggingEnabled(delegate != nullptr);
}

void TQNSViewDropPanel::setDraggingEnabled(bool enabled)
{
    if (enabled && !draggingEnabled_) {
        setAcceptDrops(true);
        if (!backgroundColor_.isValid())
            backgroundColor_ = palette().color(QPalette::Window);
        if (!backgroundHighlightColor_.isValid())
            backgroundHighlightColor_ = palette().color(QPalette::Inactive, QPalette::Highlight);
        setCurrentPanelColor(backgroundColor_);
    }
    // Turning off keeps accepting Qt's drag events; every drag step tests the flag.
    draggingEnabled_ = enabled;
    update();
}

void TQNSViewDropPanel::setCurrentPanelColor(const QColor& color)
{
    if (!color.isValid())
        return;
    currentPanelColor_ = color;
    update();
}

void TQNSViewDropPanel::setBackgroundColor(const QColor& color)
{
    if (!color.isValid())
        return;
    backgroundColor_ = color;
    setCurrentPanelColor(color);
}

void TQNSViewDropPanel::setBackgroundHighlightColor(const QColor& color) { backgroundHighlightColor_ = color; }

bool TQNSViewDropPanel::draggingEntered(const QMimeData* data)
{
    if (!draggingEnabled_ || !TQDropPanelCanAccept(this, data))
        return false;
    setCurrentPanelColor(backgroundHighlightColor_);
    return true;
}

void TQNSViewDropPanel::draggingExited() { setCurrentPanelColor(backgroundColor_); }

bool TQNSViewDropPanel::performDragOperation(const QMimeData* data)
{
    if (!draggingEnabled_)
        return false;
    const QStringList items = TQDropPanelParsePasteboard(this, data, 0);
    return !items.isEmpty() && TQDropPanelFinishDrag(this, items, data);
}

void TQNSViewDropPanel::paintEvent(QPaintEvent* event)
{
    if (currentPanelColor_.isValid() && draggingEnabled_) {
        QPainter painter(this);
        painter.fillRect(event->rect(), currentPanelColor_);
    }
}

void TQNSViewDropPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (delegate_)
        delegate_->dropPanelOnEvent(this, event);
}

void TQNSViewDropPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (delegate_)
        delegate_->dropPanelOnEvent(this, event);
}

void TQNSViewDropPanel::dragEnterEvent(QDragEnterEvent* event)
{
    if (draggingEntered(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TQNSViewDropPanel::dragLeaveEvent(QDragLeaveEvent*) { draggingExited(); }

void TQNSViewDropPanel::dropEvent(QDropEvent* event)
{
    draggingExited();
    if (performDragOperation(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

QStringList TQDropPanelParsePasteboard(TQNSViewDropPanel* panel, const QMimeData* pasteboard, int maxCount)
{
    if (!panel || !panel->delegate())
        return {};
    return panel->delegate()->dropPanelParsePasteboardMaxCount(panel, pasteboard, maxCount);
}

bool TQDropPanelFinishDrag(TQNSViewDropPanel* panel, const QStringList& items, const QMimeData* pasteboard)
{
    if (items.isEmpty() || !panel || !panel->delegate())
        return false;
    panel->delegate()->dropPanelDragFinishedWithFilesPasteboard(panel, items, pasteboard);
    return true;
}

bool TQDropPanelCanAccept(TQNSViewDropPanel* panel, const QMimeData* pasteboard)
{
    return !TQDropPanelParsePasteboard(panel, pasteboard, 1).isEmpty();
}

QString TQDropPanelSingleFolder(TQNSViewDropPanel* panel, const QMimeData* pasteboard)
{
    const QStringList items = TQDropPanelParsePasteboard(panel, pasteboard, 3);
    if (items.size() != 1 || !QFileInfo(items.first()).isDir())
        return {};
    return items.first();
}
