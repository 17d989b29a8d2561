#include "app/progress-window/TQCAppProgressWindowBackground.h"

#include "platform/tqkit-ui/TQKitAppearance.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QProgressBar>

TQCAppProgressWindowBackground::TQCAppProgressWindowBackground(QWidget* parent) : TQNSViewDropPanel(parent)
{
    setAutoFillBackground(true);
    updateThemeColors();
}

QWidget* TQCAppProgressWindowBackground::partWithTag(int tag) const
{
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->property("tag").toInt() == tag)
            return child;
    }
    return nullptr;
}

void TQCAppProgressWindowBackground::setFinishedLayoutState()
{
    if (finishedLayoutState_)
        return;
    finishedLayoutState_ = true;
    prevWidth_ = 0;
    prevHeight_ = 0;
    updateLayout();
}

void TQCAppProgressWindowBackground::updateLayout()
{
    const int W = width();
    const int H = height();
    if (W == prevWidth_ && H == prevHeight_)
        return;
    prevWidth_ = W;
    prevHeight_ = H;
    ++layoutCount_;

    QWidget* a = partWithTag(kTagMenuButton);
    QWidget* b = partWithTag(kTagStatusTop);
    QWidget* c = partWithTag(kTagStopButton);
    QWidget* e = partWithTag(kTagSendToMusicLink);
    QWidget* f = partWithTag(kTagStatusBottom);
    auto* bar = findChild<QProgressBar*>(QString(), Qt::FindDirectChildrenOnly);
    auto* list = findChild<QAbstractScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
    const auto w = [](const QWidget* part) { return part ? part->width() : 0; };
    const auto h = [](const QWidget* part) { return part ? part->height() : 0; };

    if (a)
        a->move(13, 15);
    if (b)
        b->setGeometry(w(a) + 21, 7, W - w(a) - 35, h(b));
    if (c)
        c->move(W - w(c) - 14, 29);
    if (bar)
        bar->setGeometry(w(a) + 21, h(b) + 15, W - w(a) - w(c) - 37, h(bar));
    const int secondRow = h(b) + h(bar) + 23;
    if (e)
        e->move(W - w(e) - 14, secondRow);
    if (f)
        f->setGeometry(w(a) + 21, secondRow, finishedLayoutState_ ? 60 : W - w(a) - 35, h(f));
    if (list) {
        const int y = secondRow + h(f) + 8;
        list->setGeometry(0, y, W, H - y);
        list->setVisible(H - y >= 25);
    }
}

void TQCAppProgressWindowBackground::updateThemeColors()
{
    applyingTheme_ = true;
    // Start from the inherited palette so the theme is judged on it, not on our own fill.
    setPalette(QPalette());
    QPalette p = palette();
    if (!TQKitIsDarkAppearance(this))
        p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    // The drop panel paints this colour while it takes drops, the palette while it does not.
    setBackgroundColor(p.color(QPalette::Window));
    applyingTheme_ = false;
}

void TQCAppProgressWindowBackground::resizeEvent(QResizeEvent* event)
{
    TQNSViewDropPanel::resizeEvent(event);
    updateLayout();
}

void TQCAppProgressWindowBackground::changeEvent(QEvent* event)
{
    TQNSViewDropPanel::changeEvent(event);
    if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) && !applyingTheme_)
        updateThemeColors();
}
