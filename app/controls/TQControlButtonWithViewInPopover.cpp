#include "app/controls/TQControlButtonWithViewInPopover.h"

#include "platform/tqkit-ui/TQKitPopover.h"

#include <QPainter>
#include <QStyleOptionButton>

using namespace Qt::StringLiterals;

TQControlButtonWithViewInPopover::TQControlButtonWithViewInPopover(QWidget* parent) : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, &TQControlButtonWithViewInPopover::buttonClick);
}

TQControlButtonWithViewInPopover::~TQControlButtonWithViewInPopover() = default;

QWidget* TQControlButtonWithViewInPopover::view() { return view_; }

void TQControlButtonWithViewInPopover::setView(QWidget* view)
{
    view_ = view;
    if (view) {
        view->hide();
        view->setParent(this);
    }
}

void TQControlButtonWithViewInPopover::setButtonBackgroundColor(const QColor& color)
{
    cell_.setButtonBackgroundColor(color);
    update();
}

void TQControlButtonWithViewInPopover::buttonClick()
{
    QWidget* shown = view();
    if (!shown || popoverVisible_)
        return;
    popoverVisible_ = true;
    const QVariantMap description{
        {u"fromView"_s, QVariant::fromValue<QObject*>(this)},
        {u"fromViewRectEdge"_s, 3},
        {u"title"_s, popoverTitle_},
        {u"message"_s, popoverMessage_},
        {u"customView"_s, QVariant::fromValue<QObject*>(shown)},
        {u"defaultButton"_s, u"Done"_s},
        {u"defaultButtonToolTip"_s, popoverButtonToolTip_},
    };
    QPointer<TQControlButtonWithViewInPopover> self(this);
    TQKitShowPopover(description, [self](int) {
        if (!self)
            return;
        if (self->popoverClosedBlock_)
            self->popoverClosedBlock_();
        self->popoverVisible_ = false;
    });
}

void TQControlButtonWithViewInPopover::runSettingsChanged()
{
    if (settingsChanged_)
        settingsChanged_();
}

void TQControlButtonWithViewInPopover::paintEvent(QPaintEvent* event)
{
    if (!isEnabled()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const bool highlighted = isDown();
    cell_.drawBezelWithFrameInView(painter, QRectF(rect()), this, highlighted);
    // The title stays readable on any fill: dark on light boxes, light on dark ones.
    const QColor fill = cell_.fillColor(this, highlighted);
    painter.setPen(fill.lightness() < 128 ? Qt::white : Qt::black);
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(2, 3, -2, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
