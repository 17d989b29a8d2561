#pragma once

#include <QPointer>
#include <QTableWidget>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class TQKitConversionList;
class TQCAppProgressWindowTableCellView;
class TQCAppProgressWindowTableCellViewFileName;
class TQCAppProgressWindowTableCellViewStatus;
class TQCAppProgressWindowTableDataArray;

// The table of a progress window: one row per item of its conversion list, a file-name and a
// status cell per row. Only the rows in view have cells: they are laid over the viewport and
// handed to other rows as the table scrolls, so a batch of thousands costs no more to show or to
// keep up to date than a screenful. Rows are never selected. Clicking the Status header sorts by
// status, the File header by list order. Its context menu (Show in Finder, Copy) acts on the cell
// under the right click. Main thread only.
class TQCAppProgressWindowTableView final : public QTableWidget {
    Q_OBJECT

public:
    enum Column { FileNameColumn = 0, StatusColumn = 1 };

    explicit TQCAppProgressWindowTableView(QWidget* parent = nullptr);
    ~TQCAppProgressWindowTableView() override;

    // Shows the items of `list` (null: empty), after unbinding the rows of the previous list.
    void setListHandle(TQKitConversionList* list);
    bool hasListHandle() const;
    // Back to list order.
    void resortByStatusDescAndReload();
    void sortByStatus();

    // The cell shown at `row` and `column`, or null when that row is out of view (none is made).
    TQCAppProgressWindowTableCellView* cellView(int row, int column) const;

    // The menu the table shows on a right click, and the cell that click was on (null when none
    // with URLs).
    QMenu* contextMenu() const { return contextMenu_; }
    TQCAppProgressWindowTableCellView* ctxMenuView() const;
    // Prepares the context menu for a right click at `pos` (viewport coordinates) at `stampMs`.
    void prepareContextMenuAt(const QPoint& pos, uint32_t stampMs);
    // Enables the context items: within 500 ms of the click, on a cell with URLs.
    void validateContextMenu(uint32_t nowMs);
    QAction* showInFinderAction() const { return showInFinderAction_; }
    QAction* copyAction() const { return copyAction_; }
    void showInFinderCtx();
    void copyCtx();

    // Milliseconds of the wall clock in 32-bit arithmetic with wrap-around.
    static uint32_t timeStampMs();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Both are where rows come into view: a resize, a column resize or new rows; a scroll.
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct RowCells {
        TQCAppProgressWindowTableCellViewFileName* fileName;
        TQCAppProgressWindowTableCellViewStatus* status;
    };

    // The Status column keeps its share of the width (the one the user gave it by dragging, if any)
    // as the window is resized; File takes the rest.
    void fitStatusColumn();

    void reloadData();
    // Gives every row in view its cells, bound to its record, and takes them from rows out of view.
    void layoutCellViews();
    void recycle(RowCells cells);
    void deleteCellViews();

    double statusShare_ = 0.38;
    bool fittingColumns_ = false;
    uint32_t rightMouseClickTimeStamp_ = 0;
    QPointer<TQCAppProgressWindowTableCellView> ctxMenuView_;
    std::unique_ptr<TQCAppProgressWindowTableDataArray> data_;
    std::map<int, RowCells> shownCells_; // by row
    std::vector<RowCells> spareCells_;
    QMenu* contextMenu_;
    QAction* showInFinderAction_;
    QAction* copyAction_;
};
