#pragma once

#include <QTimer>

#include <functional>
#include <memory>

class QWidget;
class TQCAppMainWindowWaitingController;

// The wait of a quit for the conversion processes that still run: a 0.5 s tick, the waiting sheet
// over the main window with their count and, after kTicksBeforeQuitNow ticks, its "Quit Now" way
// out. The ticks call back into the owner (the main window controller), which decides when the
// wait is over. Main thread only.
class TQCAppMainWindowWaitForClose final {
public:
    // Waiting shows "Quit Now" after this many ticks with processes running.
    static constexpr int kTicksBeforeQuitNow = 40;

    explicit TQCAppMainWindowWaitForClose(std::function<void()> tick);
    ~TQCAppMainWindowWaitForClose();
    TQCAppMainWindowWaitForClose(const TQCAppMainWindowWaitForClose&) = delete;
    TQCAppMainWindowWaitForClose& operator=(const TQCAppMainWindowWaitForClose&) = delete;

    // Starts ticking from zero; nothing while it ticks already.
    void start();
    // Closes the sheet and stops ticking; safe from within a tick or the sheet's own button.
    void stop();
    // Counts one tick with `processes` running: shows them on the sheet over `window`, opening it
    // first, and offers `quitNow` on the kTicksBeforeQuitNow-th tick. Nothing when none runs.
    void showProcesses(QWidget* window, int processes, std::function<void()> quitNow);

    TQCAppMainWindowWaitingController* waitingController() const { return waitingController_.get(); }

private:
    QTimer timer_;
    int ticks_ = 0;
    std::unique_ptr<TQCAppMainWindowWaitingController> waitingController_;
};
