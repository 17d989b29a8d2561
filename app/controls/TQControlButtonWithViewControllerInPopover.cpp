#include "app/controls/TQControlButtonWithViewControllerInPopover.h"

#include "platform/tqkit-ui/TQKitViewController.h"

TQControlButtonWithViewControllerInPopover::TQControlButtonWithViewControllerInPopover(QWidget* parent)
    : TQControlButtonWithViewInPopover(parent)
{
}

void TQControlButtonWithViewControllerInPopover::setViewController(TQKitViewController* controller)
{
    viewController_ = controller;
    if (!controller)
        return;
    controller->view();
    if (auto* associate = dynamic_cast<TQControlButtonAssociate*>(controller))
        associate->setAssociatedTQControlButton(this);
}

QWidget* TQControlButtonWithViewControllerInPopover::view()
{
    return viewController_ ? viewController_->view() : nullptr;
}
