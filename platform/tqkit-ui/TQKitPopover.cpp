#include "platform/tqkit-ui/TQKitPopover.h"

#include "platform/tqkit-ui/TQKitAlertRequest.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QWidget* widgetOf(const QVariant& value) { return qobject_cast<QWidget*>(value.value<QObject*>()); }

// The frame of one popover; it deletes itself once closed.
class Popover final : public QFrame {
public:
    Popover(QWidget* anchor, QWidget* customView, std::function<void(int)> closed)
        : QFrame(anchor, Qt::Popup), anchor_(anchor), customView_(customView), closed_(std::move(closed))
    {
        setObjectName(u"popover"_s);
        setFrameShape(QFrame::StyledPanel);
        // The click that closes the popover must not reach the control below and open it again.
        setAttribute(Qt::WA_NoMouseReplay);
    }

    void closeByButton()
    {
        result_ = kTQKitAlertDefaultButton;
        close();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            closeByButton();
        else
            QFrame::keyPressEvent(event);
    }

    void hideEvent(QHideEvent* event) override
    {
        QFrame::hideEvent(event);
        if (finished_)
            return;
        finished_ = true;
        if (customView_) {
            customView_->hide();
            customView_->setParent(anchor_);
        }
        if (closed_)
            closed_(result_);
        deleteLater();
    }

private:
    QPointer<QWidget> anchor_;
    QPointer<QWidget> customView_;
    std::function<void(int)> closed_;
    int result_ = 0;
    bool finished_ = false;
};

// Under the anchor, centred on it, kept on the anchor's screen.
QPoint placeBelow(const QWidget* anchor, QSize size)
{
    QPoint at = anchor->mapToGlobal(QPoint(anchor->width() / 2 - size.width() / 2, anchor->height()));
    if (const QScreen* screen = anchor->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
    }
    return at;
}

} // namespace

bool TQKitShowPopover(const QVariantMap& description, std::function<void(int result)> closed)
{
    QWidget* anchor = widgetOf(description.value(u"fromView"_s));
    if (!anchor)
        return false;
    QWidget* customView = widgetOf(description.value(u"customView"_s));
    auto* popover = new Popover(anchor, customView, std::move(closed));
    auto* layout = new QVBoxLayout(popover);

    const QString title = description.value(u"title"_s).toString();
    if (!title.isEmpty()) {
        auto* heading = new QLabel(title, popover);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        layout->addWidget(heading);
    }
    const QString message = description.value(u"message"_s).toString();
    if (!message.isEmpty()) {
        auto* text = new QLabel(message, popover);
        text->setWordWrap(true);
        text->setMaximumWidth(360);
        layout->addWidget(text);
    }
    if (customView) {
        layout->addWidget(customView);
        customView->show();
    }

    QString buttonTitle = description.value(u"defaultButton"_s).toString();
    if (buttonTitle.isEmpty())
        buttonTitle = u"OK"_s;
    auto* button = new QPushButton(buttonTitle, popover);
    button->setObjectName(u"popoverButton"_s);
    button->setDefault(true);
    button->setToolTip(description.value(u"defaultButtonToolTip"_s).toString());
    QObject::connect(button, &QPushButton::clicked, popover, [popover] { popover->closeByButton(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button);
    layout->addLayout(buttons);

    popover->adjustSize();
    popover->move(placeBelow(anchor, popover->size()));
    popover->show();
    button->setFocus();
    return true;
}
