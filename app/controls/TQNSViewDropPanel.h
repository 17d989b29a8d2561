#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>

class QMimeData;
class TQNSViewDropPanelDelegate;

// A plain area that takes dropped files, folders and URLs. It knows nothing of files: its delegate
// parses the drag's data and acts on the items. While an acceptable drag hovers, the panel shows
// its highlight colour. Main thread only.
class TQNSViewDropPanel : public QWidget {
    Q_OBJECT

public:
    explicit TQNSViewDropPanel(QWidget* parent = nullptr);

    // Not owned; it must outlive the panel or be cleared first. Setting one turns dragging on,
    // clearing it turns dragging off.
    void setDelegate(TQNSViewDropPanelDelegate* delegate);
    TQNSViewDropPanelDelegate* delegate() const { return delegate_; }

    bool draggingEnabled() const { return draggingEnabled_; }
    void setDraggingEnabled(bool enabled);

    QColor currentPanelColor() const { return currentPanelColor_; }
    void setCurrentPanelColor(const QColor& color); // an invalid colour is ignored
    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);   // an invalid colour is ignored
    QColor backgroundHighlightColor() const { return backgroundHighlightColor_; }
    void setBackgroundHighlightColor(const QColor& color); // invalid: no highlight

    QString panelId() const { return panelId_; }
    void setPanelId(const QString& panelId) { panelId_ = panelId; }

    // The drag steps, kept apart from Qt's events so that subclasses refine them and tests drive
    // them: whether a drag carrying `data` would be taken (and the highlight shown), and the drop.
    virtual bool draggingEntered(const QMimeData* data);
    void draggingExited();
    virtual bool performDragOperation(const QMimeData* data);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    TQNSViewDropPanelDelegate* delegate_ = nullptr;
    bool draggingEnabled_ = false;
    QColor currentPanelColor_;
    QColor backgroundColor_;
    QColor backgroundHighlightColor_;
    QString panelId_;
};

// The delegate's items of `pasteboard`; empty when the panel has no delegate.
QStringList TQDropPanelParsePasteboard(TQNSViewDropPanel* panel, const QMimeData* pasteboard, int maxCount);
// Hands `items` to the delegate; false when there are none or no delegate.
bool TQDropPanelFinishDrag(TQNSViewDropPanel* panel, const QStringList& items, const QMimeData* pasteboard);
// Whether the pasteboard holds at least one item for the delegate.
bool TQDropPanelCanAccept(TQNSViewDropPanel* panel, const QMimeData* pasteboard);
// The one existing folder the pasteboard carries; empty when it carries anything else or more.
QString TQDropPanelSingleFolder(TQNSViewDropPanel* panel, const QMimeData* pasteboard);
