#include "app/pattern-editor/TQTagLibTextComposePopUpButtonPanel.h"

namespace {

constexpr int kSpacing = 5;
constexpr int kMargin = 4;

} // namespace

TQTagLibTextComposePopUpButtonPanel::TQTagLibTextComposePopUpButtonPanel(QWidget* parent) : QWidget(parent) {}

void TQTagLibTextComposePopUpButtonPanel::addSubview(QWidget* view)
{
    if (!view)
        return;
    view->setParent(this);
    if (!subviews_.contains(view))
        subviews_.append(view);
    layoutSubviews();
}

QSize TQTagLibTextComposePopUpButtonPanel::sizeHint() const
{
    int width = 0;
    int height = 0;
    for (const QPointer<QWidget>& view : subviews_) {
        if (!view)
            continue;
        width += view->width() + (width > 0 ? kSpacing : 0);
        height = qMax(height, view->height());
    }
    return {width + 2 * kMargin, height + 2 * kMargin};
}

void TQTagLibTextComposePopUpButtonPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutSubviews();
}

void TQTagLibTextComposePopUpButtonPanel::layoutSubviews()
{
    int total = 0;
    int count = 0;
    for (const QPointer<QWidget>& view : subviews_) {
        if (view) {
            total += view->width();
            ++count;
        }
    }
    if (count == 0)
        return;
    int x = width() / 2 - (total + kSpacing * count - kSpacing) / 2;
    for (const QPointer<QWidget>& view : subviews_) {
        if (!view)
            continue;
        view->move(x, height() / 2 - view->height() / 2);
        x += view->width() + kSpacing;
    }
}
