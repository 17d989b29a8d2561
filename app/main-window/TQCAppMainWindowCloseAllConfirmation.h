#pragma once

#include <QtGlobal>

#include <functional>

class QWidget;

// The question Close All asks before it closes the windows, and the answer it remembers: a ticked
// "do not ask again" box holds for the rest of the run and, in section "TQCSettingConfirmation",
// for a week. Owned by the main window controller; main thread only.
class TQCAppMainWindowCloseAllConfirmation final {
public:
    // Always while `windowsWithSheet` windows have a sheet; otherwise not when only the main window
    // is open, nor after a ticked box.
    bool isNeeded(qsizetype windowsWithSheet, bool onlyMainWindow) const;
    // Asks over `window` and runs `close` once confirmed. The box is offered only when
    // `offerCheckBox`; then its answer is remembered.
    void ask(QWidget* window, bool offerCheckBox, std::function<void()> close);

private:
    bool suppressedThisRun_ = false;
};
