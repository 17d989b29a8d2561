#pragma once

#include "app/controls/TQControlButtonWithViewControllerInPopover.h"
#include "platform/tqkit-ui/TQKitViewController.h"

#include <QPointer>

#include <cstdint>
#include <functional>

class QButtonGroup;

// The chooser of the normalization method, shown in a popover under the Effects page's method
// button: two radio buttons, Peak and Loudness. The button's title names the chosen method. The
// method is the code of TQEffectsSettingsRecord: 0 peak, 3 loudness; any other stored code is kept
// as it is until the user chooses, and shows as Peak. Main thread only.
class TQCAppPreferencesPanelEffectsNormalizationMethodViewController final : public TQKitViewController,
                                                                           public TQControlButtonAssociate {
    Q_OBJECT

public:
    explicit TQCAppPreferencesPanelEffectsNormalizationMethodViewController(QObject* parent = nullptr);

    uint32_t method() const { return method_; }
    void setMethod(uint32_t method);
    // Runs after every click on a radio button, also when the choice stays the same.
    void setSettingsChangedBlock(std::function<void()> block) { settingsChangedBlock_ = std::move(block); }
    void setToolTipForMethod(const QString& toolTip, uint32_t method);

    void setAssociatedTQControlButton(TQControlButtonWithViewInPopover* button) override;
    // The radio buttons: id 0 Peak, id 1 Loudness.
    QButtonGroup* radioButtons();
    void radioClick();

protected:
    QWidget* loadView() override;

private:
    void syncMethodWithRadioButtons();
    void syncRadioButtonsWithMethod();
    void syncButtonTitleWithRadioButtons();

    QPointer<TQControlButtonWithViewInPopover> associatedButton_;
    uint32_t method_ = 0;
    std::function<void()> settingsChangedBlock_;
    QButtonGroup* radioButtons_ = nullptr;
};
