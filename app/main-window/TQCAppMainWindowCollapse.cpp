#include "app/main-window/TQCAppMainWindowCollapse.h"

#include "app/controls/TQControlPathPicker.h"
#include "app/main-window/TQCAppMainWindow.h"
#include "lifecycle/TQAnalytics.h"
#include "platform/tqkit/TQKitSettings.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include <cstdlib>

using namespace std::chrono_literals;

namespace {

constexpr char kSection[] = "TQCSetting";
constexpr int kCollapsedBelowWidth = 300;
constexpr auto kAnimationTime = 200ms;

bool readFlag(const char* key, bool whenUnset)
{
    const std::string text = TQKitSettingReadText(kSection, key, "");
    return text.empty() ? whenUnset : std::strtol(text.c_str(), nullptr, 10) != 0;
}

void writeFlag(const char* key, bool value) { TQKitSettingWriteText(kSection, key, value ? "1" : "0"); }

} // namespace

TQCAppMainWindowCollapse::TQCAppMainWindowCollapse(TQCAppMainWindow* window)
    : window_(window),
      views_{window->preferencesButton(),
             window->helpButton(),
             window->titleDropFiles(),
             window->browseButton(),
             window->browseFilesButton(),
             window->enterURLButton(),
             window->destinationFolderButton(),
             window->selectDestinationFolderButton(),
             window->destinationFolder(),
             window->destinationLabel()}
{
}

bool TQCAppMainWindowCollapse::isCollapsed() const { return window_ && window_->width() < kCollapsedBelowWidth; }

void TQCAppMainWindowCollapse::setCollapsed(bool collapsed, bool animate)
{
    if (!window_)
        return;
    if (collapsed)
        TQAnalyticsPostEvent("ae_cnv_main_wnd_collapsed");
    collapsed_ = collapsed;
    if (!collapsed) {
        window_->preferencesButton()->hide();
        window_->layoutContent(); // the Settings button back in its place
    }
    for (const QPointer<QWidget>& view : views_) {
        if (view)
            view->setVisible(!collapsed);
    }
    delayedCalls_.cancelAll();

    // The collapsed window is a small drop target without a menu bar; the full one has it.
    QMenuBar* menuBar = window_->menuBar();
    menuBar->setVisible(!collapsed);
    const QSize content = collapsed ? window_->collapsedContentSize() : window_->fullContentSize();
    const int menuHeight = collapsed ? 0 : menuBar->sizeHint().height();
    window_->centralWidget()->setFixedSize(content);
    window_->setFixedSize(content.width(), content.height() + menuHeight);
    window_->layoutPanels();

    if (!collapsed)
        finishExpanding();
    else if (animate)
        delayedCalls_.perform(kAnimationTime, [this] { finishCollapsing(); });
    else
        finishCollapsing();
}

void TQCAppMainWindowCollapse::refit()
{
    if (!window_)
        return;
    window_->layoutContent();
    QMenuBar* menuBar = window_->menuBar();
    const QSize content = collapsed_ ? window_->collapsedContentSize() : window_->fullContentSize();
    window_->centralWidget()->setFixedSize(content);
    window_->setFixedSize(content.width(), content.height() + (collapsed_ ? 0 : menuBar->sizeHint().height()));
    window_->layoutPanels();
    if (collapsed_)
        finishCollapsing();
}

void TQCAppMainWindowCollapse::finishCollapsing()
{
    QPushButton* settings = window_->preferencesButton();
    QRect frame = settings->geometry();
    const QSize content = window_->collapsedContentSize();
    frame.moveLeft(content.width() / 2 - frame.width() / 2);
    frame.moveTop((content.height() - frame.height()) / 2);
    settings->setGeometry(frame);
    settings->show();
    settings->setFocus();
}

void TQCAppMainWindowCollapse::finishExpanding() { window_->browseButton()->setFocus(); }

void TQCAppMainWindowCollapse::setCollapsedSetting(bool collapsed) { writeFlag("MainWindowIsCollapsed", collapsed); }

bool TQCAppMainWindowCollapse::getCollapsedSetting() { return readFlag("MainWindowIsCollapsed", false); }

void TQCAppMainWindowCollapse::setStayInFrontSettingCollapsed(bool inFront, bool collapsed)
{
    writeFlag(collapsed ? "MainWindowStayInFrontCollapsed" : "MainWindowStayInFront", inFront);
}

bool TQCAppMainWindowCollapse::getStayInFrontSettingCollapsed(bool collapsed)
{
    return readFlag(collapsed ? "MainWindowStayInFrontCollapsed" : "MainWindowStayInFront", collapsed);
}
