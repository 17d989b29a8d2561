#include "app/main-window/TQCAppMainWindowWaitForClose.h"

#include "app/main-window/TQCAppMainWindowWaitingController.h"

#include <QLabel>

#include <utility>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto kTickInterval = 500ms;

} // namespace

TQCAppMainWindowWaitForClose::TQCAppMainWindowWaitForClose(std::function<void()> tick)
{
    timer_.setInterval(kTickInterval);
    QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
}

TQCAppMainWindowWaitForClose::~TQCAppMainWindowWaitForClose() { stop(); }

void TQCAppMainWindowWaitForClose::start()
{
    if (timer_.isActive())
        return;
    ticks_ = 0;
    timer_.start();
}

void TQCAppMainWindowWaitForClose::stop()
{
    if (waitingController_) {
        waitingController_->close();
        // It may be on the stack of its own button's click.
        waitingController_.release()->deleteLater();
    }
    timer_.stop();
}

void TQCAppMainWindowWaitForClose::showProcesses(QWidget* window, int processes, std::function<void()> quitNow)
{
    if (processes <= 0)
        return;
    if (!waitingController_) {
        waitingController_ = std::make_unique<TQCAppMainWindowWaitingController>();
        waitingController_->showModal(window);
    }
    waitingController_->topLabel()->setText(
        u"Waiting for completion of %1 %2..."_s.arg(processes).arg(processes > 1 ? u"processes"_s : u"process"_s));
    // A conversion that never ends must not keep the application from quitting.
    if (++ticks_ == kTicksBeforeQuitNow)
        waitingController_->offerQuitNow(std::move(quitNow));
}
