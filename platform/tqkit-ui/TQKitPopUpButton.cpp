#include "platform/tqkit-ui/TQKitPopUpButton.h"

#include "platform/tqkit-ui/TQKitAttributedString.h"

#include <QActionEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStyleOptionComboBox>
#include <QStylePainter>

TQKitPopUpButton::TQKitPopUpButton(QWidget* parent) : QWidget(parent), menu_(new QMenu(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
    menu_->installEventFilter(this);
    connect(menu_, &QMenu::triggered, this, &TQKitPopUpButton::itemChosen);
}

TQKitPopUpButton::~TQKitPopUpButton() = default;

int TQKitPopUpButton::numberOfItems() const { return static_cast<int>(menu_->actions().size()); }

int TQKitPopUpButton::indexOfSelectedItem() const
{
    return selected_ ? static_cast<int>(menu_->actions().indexOf(selected_)) : -1;
}

void TQKitPopUpButton::selectItemAtIndex(int index)
{
    const QList<QAction*> items = menu_->actions();
    selected_ = index >= 0 && index < items.size() ? items[index] : nullptr;
    update();
}

void TQKitPopUpButton::popUp()
{
    menu_->setMinimumWidth(width());
    // The selected item opens over the button, as on a pop-up button.
    menu_->popup(mapToGlobal(QPoint(0, 0)), selected_);
}

void TQKitPopUpButton::sendAction() { Q_EMIT activated(); }

void TQKitPopUpButton::itemChosen(QAction* item)
{
    if (!menu_->actions().contains(item) || item->isSeparator() || item->menu())
        return;
    selected_ = item;
    update();
    sendAction();
}

QSize TQKitPopUpButton::sizeHint() const
{
    int textWidth = fontMetrics().horizontalAdvance(QStringLiteral("XXXXXXXX"));
    for (const QAction* item : menu_->actions()) {
        const std::optional<TQKitAttributedString> title = TQKitMenuItemAttributedTitle(item);
        textWidth = qMax(textWidth, title ? title->width(font()) : fontMetrics().horizontalAdvance(item->text()));
    }
    QStyleOptionComboBox option;
    option.initFrom(this);
    const QSize contents(textWidth, qMax(fontMetrics().height(), 14));
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, this);
}

QSize TQKitPopUpButton::minimumSizeHint() const
{
    QStyleOptionComboBox option;
    option.initFrom(this);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option,
                                     QSize(fontMetrics().horizontalAdvance(QStringLiteral("XXXX")),
                                           fontMetrics().height()),
                                     this);
}

void TQKitPopUpButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = false;
    option.frame = true;
    if (menu_->isVisible())
        option.state |= QStyle::State_On | QStyle::State_Sunken;
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (!selected_)
        return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (const std::optional<TQKitAttributedString> title = TQKitMenuItemAttributedTitle(selected_)) {
        painter.setClipRect(field);
        title->draw(&painter, field, font(), palette(), false);
        return;
    }
    option.currentText = selected_->text();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void TQKitPopUpButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled())
        popUp();
}

void TQKitPopUpButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        popUp();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool TQKitPopUpButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == menu_) {
        switch (event->type()) {
        case QEvent::ActionRemoved:
            if (static_cast<QActionEvent*>(event)->action() == selected_)
                selected_ = nullptr;
            [[fallthrough]];
        case QEvent::ActionAdded:
        case QEvent::ActionChanged:
            updateGeometry();
            update();
            break;
        case QEvent::Show:
        case QEvent::Hide:
            update();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
