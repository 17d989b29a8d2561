#pragma once

#include "app/controls/TQControlButtonWithViewInPopover.h"
#include "platform/tqkit-ui/TQKitViewController.h"

#include <QPointer>

// A view controller shown by a TQControlButtonWithViewControllerInPopover that wants to know its
// button (to title it after the choice made in the popover).
class TQControlButtonAssociate {
public:
    virtual void setAssociatedTQControlButton(TQControlButtonWithViewInPopover* button) = 0;

protected:
    ~TQControlButtonAssociate() = default;
};

// A popover button whose popover shows the view of a view controller, such as a chooser. The
// controller stays its creator's. Main thread only.
class TQControlButtonWithViewControllerInPopover final : public TQControlButtonWithViewInPopover {
    Q_OBJECT

public:
    explicit TQControlButtonWithViewControllerInPopover(QWidget* parent = nullptr);

    TQKitViewController* viewController() const { return viewController_; }
    // Loads the controller's view and introduces the button to it (TQControlButtonAssociate).
    void setViewController(TQKitViewController* controller);

    QWidget* view() override;

private:
    QPointer<TQKitViewController> viewController_;
};
