#include "app/progress-window/TQCAppProgressWindowBackground.h"

#include "platform/tqkit-ui/TQKitAppearance.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QProgressBar>

#include <algorithm>

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

namespace {

int widthOf(const QWidget* part) { return part ? part->width() : 0; }
int heightOf(const QWidget* part) { return part ? part->height() : 0; }

} // namespace

// The row of the bottom status line, below the top line and the progress bar; in the finished
// layout a hidden bar gives its place up.
int TQCAppProgressWindowBackground::secondRowTop() const
{
    const auto* bar = findChild<QProgressBar*>(QString(), Qt::FindDirectChildrenOnly);
    const int hB = heightOf(partWithTag(kTagStatusTop));
    // Only a bar hidden on purpose counts: a new child of a window not yet shown is hidden too.
    const bool barHidden = !bar || (bar->isHidden() && bar->testAttribute(Qt::WA_WState_ExplicitShowHide));
    if (finishedLayoutState_ && barHidden)
        return hB + 15;
    return hB + heightOf(bar) + 23;
}

int TQCAppProgressWindowBackground::statusLineStart() const
{
    const QWidget* g = partWithTag(kTagDetailsButton);
    return widthOf(partWithTag(kTagMenuButton)) + 21 + (g ? widthOf(g) + 4 : 0);
}

int TQCAppProgressWindowBackground::widthForStatusLine(int textWidth) const { return statusLineStart() + textWidth + 14; }

int TQCAppProgressWindowBackground::listTop() const { return secondRowTop() + heightOf(partWithTag(kTagStatusBottom)) + 8; }

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
    QWidget* g = partWithTag(kTagDetailsButton);
    auto* bar = findChild<QProgressBar*>(QString(), Qt::FindDirectChildrenOnly);
    auto* list = findChild<QAbstractScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
    const int wA = widthOf(a);

    if (a)
        a->move(13, 15);
    if (b)
        b->setGeometry(wA + 21, 7, W - wA - 35, heightOf(b));
    if (c)
        c->move(W - widthOf(c) - 14, 29);
    if (bar)
        bar->setGeometry(wA + 21, heightOf(b) + 15, W - wA - widthOf(c) - 37, heightOf(bar));
    const int secondRow = secondRowTop();
    if (e)
        e->move(W - widthOf(e) - 14, secondRow);
    // The details button leads the row of the bottom line, under the left edge of the top line.
    const int rowStart = statusLineStart();
    if (g)
        g->move(wA + 21, secondRow);
    // The finished line holds one short word or link; it never cuts its text.
    if (f)
        f->setGeometry(rowStart, secondRow,
                       finishedLayoutState_ ? std::max(60, f->sizeHint().width()) : W - rowStart - 14, heightOf(f));
    if (list) {
        const int y = listTop();
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
