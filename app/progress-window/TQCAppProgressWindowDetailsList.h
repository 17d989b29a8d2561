#pragma once

// The details list of a progress window: the table of items below the status lines, opened by
// growing the window downwards and closed by shrinking it to its minimum height. The window's
// details button toggles it; the last window size and whether the list was open are remembered
// for the next window (section "TQCSetting"); once the conversion list is known the window grows
// only as tall as its rows need; a batch that ends with failures opens the list by itself, rows
// in list order. Main thread only.

#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <QSize>

#include <functional>

class QToolButton;
class QWidget;
class TQCAppProgressWindowTableView;
class TQKitConversionList;

class TQCAppProgressWindowDetailsList final {
public:
    // A window this much taller than its minimum shows the list open.
    static constexpr int kOpenThreshold = 17;

    // `window`, `table` and `button` outlive this object. `showTips` asks for the window's
    // introductory tips.
    TQCAppProgressWindowDetailsList(QWidget* window, TQCAppProgressWindowTableView* table, QToolButton* button,
                                    std::function<void()> showTips);

    // Window set-up: closed at the stored width, the height locked to the minimum.
    void init();
    // The conversion list is filled: the table shows it, the window may grow as tall as its rows
    // need, and the list opens when it was left open last time.
    void enable(TQKitConversionList* list);
    // The batch finished: with failures, a closed list opens with the rows in list order.
    void informConversionCompleted(TQKitConversionList* list);

    // The status area above the list changed its height: a closed list stays closed at the new
    // minimum, and the open list keeps the room its rows need.
    void setMinimumHeight(int height);

    void expand();
    void collapse();
    bool isExpanded() const;
    QSize expandedSize() const;
    QSize collapsedSize() const;
    QSize maxSize() const { return maxSize_; }
    // The details button: toggles the list and remembers the choice; ignored while a sheet is open.
    void action();
    // Every resize of the window: handled once the resizing pauses for 0.1 s.
    void windowDidResize();
    void updateButton();

    static bool expandInitially();
    static void setExpandInitially(bool expand);
    // The stored window size; a missing part is the window's minimum.
    QSize restoreSize() const;

private:
    void setWindowSize(const QSize& size);
    void windowDidResizeImpl();

    QWidget* window_;
    TQCAppProgressWindowTableView* table_;
    QToolButton* button_;
    std::function<void()> showTips_;
    QSize maxSize_;
    bool tableViewAdjustVertOffset_ = false;
    TQKitDelayedCalls delayedCalls_;
};
