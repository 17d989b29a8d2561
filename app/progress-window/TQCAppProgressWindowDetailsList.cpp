#include "app/progress-window/TQCAppProgressWindowDetailsList.h"

#include "app/progress-window/TQCAppProgressWindowTableView.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit/TQKitSettings.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr char kSection[] = "TQCSetting";
constexpr char kWidthKey[] = "ProgressWindowSizeWidth";
constexpr char kHeightKey[] = "ProgressWindowSizeHeight";
constexpr char kExpandKey[] = "DetailsListExpandInitially";
constexpr char kIntroKey[] = "DetailsListIntroductoryPopoverShown";
constexpr std::chrono::milliseconds kResizePause{100};
constexpr std::chrono::milliseconds kTipsDelay{150};

int storedNumber(const char* key, int fallback)
{
    const std::string text = TQKitSettingReadText(kSection, key, "");
    return text.empty() ? fallback : static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

} // namespace

TQCAppProgressWindowDetailsList::TQCAppProgressWindowDetailsList(QWidget* window, TQCAppProgressWindowTableView* table,
                                                                 QToolButton* button, std::function<void()> showTips)
    : window_(window), table_(table), button_(button), showTips_(std::move(showTips))
{
    QObject::connect(button_, &QToolButton::clicked, button_, [this] { action(); });
}

void TQCAppProgressWindowDetailsList::init()
{
    // The tallest the open list may make the window: the screen's height, as no window exceeds it.
    const QScreen* screen = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    const int screenHeight = screen ? screen->availableGeometry().height() : QWIDGETSIZE_MAX;
    maxSize_ = QSize(window_->maximumWidth(), std::min(window_->maximumHeight(), std::max(screenHeight, window_->minimumHeight())));
    window_->setMaximumSize(maxSize_.width(), window_->minimumHeight());
    const QSize stored = restoreSize();
    const int width = std::clamp(stored.width(), window_->minimumWidth(), std::max(window_->minimumWidth(), maxSize_.width()));
    window_->resize(width, window_->minimumHeight());
    updateButton();
}

void TQCAppProgressWindowDetailsList::enable(TQKitConversionList* list)
{
    table_->setListHandle(list);
    // Every row, the header and the frame, below the status lines.
    const int rows = static_cast<int>(std::min<size_t>(TQKitConversionListItemCount(list), 100000));
    const int needed = window_->minimumHeight() + (rows + 2) * table_->verticalHeader()->defaultSectionSize() + 2;
    maxSize_.setHeight(std::max(window_->minimumHeight(), std::min(maxSize_.height(), needed)));
    window_->setMaximumSize(maxSize_);
    tableViewAdjustVertOffset_ = true;
    updateButton();
    if (expandInitially())
        expand();
    delayedCalls_.perform(kTipsDelay, [this] {
        if (showTips_)
            showTips_();
    });
}

void TQCAppProgressWindowDetailsList::informConversionCompleted(TQKitConversionList* list)
{
    if (!list || TQKitConversionListSucceededCount(list) >= TQKitConversionListItemCount(list) || isExpanded())
        return;
    table_->resortByStatusDescAndReload();
    expand();
}

void TQCAppProgressWindowDetailsList::setMinimumHeight(int height)
{
    const int change = height - window_->minimumHeight();
    if (change == 0)
        return;
    const bool open = isExpanded();
    const bool capped = window_->maximumHeight() <= window_->minimumHeight();
    maxSize_.setHeight(std::max(height, maxSize_.height() + change));
    window_->setMinimumHeight(height);
    window_->setMaximumHeight(capped ? height : maxSize_.height());
    if (!open)
        window_->resize(window_->width(), height);
    updateButton();
}

void TQCAppProgressWindowDetailsList::expand()
{
    tableViewAdjustVertOffset_ = true;
    setWindowSize(expandedSize());
    updateButton();
}

void TQCAppProgressWindowDetailsList::collapse()
{
    setWindowSize(collapsedSize());
    updateButton();
}

QSize TQCAppProgressWindowDetailsList::expandedSize() const { return QSize(window_->width(), maxSize_.height()); }

QSize TQCAppProgressWindowDetailsList::collapsedSize() const
{
    return QSize(window_->width(), window_->minimumHeight());
}

void TQCAppProgressWindowDetailsList::setWindowSize(const QSize& size)
{
    // Qt keeps a window's top-left corner when it resizes it, so the list grows downwards.
    window_->resize(size);
}

bool TQCAppProgressWindowDetailsList::isExpanded() const
{
    return std::abs(window_->height() - window_->minimumHeight()) >= kOpenThreshold;
}

void TQCAppProgressWindowDetailsList::action()
{
    if (TQKitWindowHasSheet(window_))
        return;
    if (table_->hasListHandle() && !isExpanded()) {
        expand();
        setExpandInitially(true);
    } else {
        collapse();
        setExpandInitially(false);
    }
    TQKitSettingWriteText(kSection, kIntroKey, "1");
}

void TQCAppProgressWindowDetailsList::windowDidResize()
{
    delayedCalls_.cancel(u"resize"_s);
    delayedCalls_.perform(kResizePause, [this] { windowDidResizeImpl(); }, u"resize"_s);
}

void TQCAppProgressWindowDetailsList::windowDidResizeImpl()
{
    updateButton();
    TQKitSettingWriteInt(kSection, kWidthKey, window_->width());
    TQKitSettingWriteInt(kSection, kHeightKey, window_->height());
    if (!table_->hasListHandle())
        return;
    if (tableViewAdjustVertOffset_ && window_->height() > window_->minimumHeight()) {
        tableViewAdjustVertOffset_ = false;
        table_->scrollToTop();
    } else if (window_->height() <= window_->minimumHeight()) {
        tableViewAdjustVertOffset_ = true;
    }
}

void TQCAppProgressWindowDetailsList::updateButton()
{
    button_->setEnabled(table_->hasListHandle());
    const bool open = isExpanded();
    button_->setArrowType(open ? Qt::UpArrow : Qt::DownArrow);
    button_->setToolTip(open ? u"Hide details"_s : u"Show details"_s);
}

bool TQCAppProgressWindowDetailsList::expandInitially()
{
    const std::string text = TQKitSettingReadText(kSection, kExpandKey, "");
    return text.empty() || std::strtol(text.c_str(), nullptr, 10) != 0;
}

void TQCAppProgressWindowDetailsList::setExpandInitially(bool expand)
{
    TQKitSettingWriteText(kSection, kExpandKey, expand ? "1" : "0");
}

QSize TQCAppProgressWindowDetailsList::restoreSize() const
{
    return QSize(storedNumber(kWidthKey, window_->minimumWidth()), storedNumber(kHeightKey, window_->minimumHeight()));
}
