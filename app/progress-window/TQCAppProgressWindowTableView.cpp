#include "app/progress-window/TQCAppProgressWindowTableView.h"

#include "app/progress-window/TQCAppProgressWindowTableCellViewFileName.h"
#include "app/progress-window/TQCAppProgressWindowTableCellViewStatus.h"
#include "app/progress-window/TQCAppProgressWindowTableDataArray.h"
#include "app/progress-window/TQCAppProgressWindowTableDataRecord.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr uint32_t kContextMenuValidityMs = 500;

} // namespace

TQCAppProgressWindowTableView::TQCAppProgressWindowTableView(QWidget* parent)
    : QTableWidget(0, 2, parent), contextMenu_(new QMenu(this)),
      showInFinderAction_(contextMenu_->addAction(u"Show in File Manager"_s)), copyAction_(contextMenu_->addAction(u"Copy"_s))
{
    setObjectName(u"appProgressWindowTableView"_s);
    setHorizontalHeaderLabels({u"File"_s, u"Status"_s});
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setFrameShape(QFrame::NoFrame);
    // Rows and the space below them share the window's colour, as the cells paint it.
    viewport()->setBackgroundRole(QPalette::Window);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(22);
    horizontalHeader()->setSectionResizeMode(FileNameColumn, QHeaderView::Stretch);
    horizontalHeader()->setSectionResizeMode(StatusColumn, QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    setAccessibleName(u"The Table with conversion details"_s);
    setAccessibleDescription(u"Contains details of conversion of source files. Allows to access source and destination files"_s);

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (column == StatusColumn)
            sortByStatus();
        else
            resortByStatusDescAndReload();
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (column == StatusColumn && !fittingColumns_ && viewport()->width() > 0)
            statusShare_ = std::clamp(double(width) / viewport()->width(), 0.15, 0.85);
    });
    connect(showInFinderAction_, &QAction::triggered, this, &TQCAppProgressWindowTableView::showInFinderCtx);
    connect(copyAction_, &QAction::triggered, this, &TQCAppProgressWindowTableView::copyCtx);
}

void TQCAppProgressWindowTableView::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    fitStatusColumn();
}

void TQCAppProgressWindowTableView::fitStatusColumn()
{
    constexpr int kNarrowest = 100;
    fittingColumns_ = true;
    horizontalHeader()->resizeSection(StatusColumn, std::max(kNarrowest, int(statusShare_ * viewport()->width())));
    fittingColumns_ = false;
}

void TQCAppProgressWindowTableView::fitStatusColumnToTexts()
{
    constexpr double kWidestShare = 2.0 / 3.0;
    constexpr int kCellMargins = 2 * 6 + 2; // of the cell's layout, and a little room for rounding
    if (!data_ || viewport()->width() <= 0)
        return;
    // Thousands of rows share a few texts: each is measured once, and no row's record is made.
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString& text : data_->completionStatusNames())
        widest = std::max(widest, metrics.horizontalAdvance(text));
    const double wanted = double(widest + kCellMargins) / viewport()->width();
    statusShare_ = std::max(statusShare_, std::min(wanted, kWidestShare));
    fitStatusColumn();
}

TQCAppProgressWindowTableView::~TQCAppProgressWindowTableView()
{
    ctxMenuView_ = nullptr;
    // Cells go before their records.
    deleteCellViews();
    data_.reset();
}

void TQCAppProgressWindowTableView::setListHandle(TQKitConversionList* list)
{
    if (data_)
        data_->cleanup();
    setRowCount(0);
    data_ = TQCAppProgressWindowTableDataArray::create(list);
    reloadData();
}

TQCAppProgressWindowTableCellView* TQCAppProgressWindowTableView::ctxMenuView() const { return ctxMenuView_; }

bool TQCAppProgressWindowTableView::hasListHandle() const { return data_ && data_->listHandle(); }

void TQCAppProgressWindowTableView::resortByStatusDescAndReload()
{
    if (!data_)
        return;
    data_->sortByListItemId();
    reloadData();
}

void TQCAppProgressWindowTableView::sortByStatus()
{
    if (!data_)
        return;
    data_->sortByStatus();
    reloadData();
}

void TQCAppProgressWindowTableView::reloadData()
{
    const int rows = data_ ? static_cast<int>(data_->count()) : 0;
    setRowCount(rows);
    // The rows in view may hold other records now: every cell is bound afresh.
    for (const auto& [row, cells] : shownCells_)
        recycle(cells);
    shownCells_.clear();
    layoutCellViews();
}

void TQCAppProgressWindowTableView::updateGeometries()
{
    QTableWidget::updateGeometries();
    layoutCellViews();
}

void TQCAppProgressWindowTableView::scrollContentsBy(int dx, int dy)
{
    QTableWidget::scrollContentsBy(dx, dy);
    layoutCellViews();
}

void TQCAppProgressWindowTableView::layoutCellViews()
{
    // Cells are kept and rebound, as a table reuses its cell views: the rows in view have cells,
    // the others none, so neither making rows nor their changes cost more in a longer list.
    const int rows = data_ ? std::min(rowCount(), static_cast<int>(data_->count())) : 0;
    const int height = viewport()->height();
    int first = rows > 0 && height > 0 ? rowAt(0) : -1;
    int last = first < 0 ? -1 : rowAt(height - 1);
    if (first >= 0 && last < 0)
        last = rows - 1; // the rows end above the bottom of the viewport
    for (auto it = shownCells_.begin(); it != shownCells_.end();) {
        if (it->first < first || it->first > last) {
            recycle(it->second);
            it = shownCells_.erase(it);
        } else {
            ++it;
        }
    }
    if (first < 0)
        return;
    for (int row = first; row <= last; ++row) {
        auto [it, added] = shownCells_.try_emplace(row, RowCells{});
        RowCells& cells = it->second;
        if (added) {
            if (spareCells_.empty()) {
                cells = {new TQCAppProgressWindowTableCellViewFileName(viewport()),
                         new TQCAppProgressWindowTableCellViewStatus(viewport())};
            } else {
                cells = spareCells_.back();
                spareCells_.pop_back();
            }
            TQCAppProgressWindowTableDataRecord* record = data_->recordAt(static_cast<size_t>(row));
            cells.fileName->setObjectValue(record);
            cells.status->setObjectValue(record);
        }
        const int top = rowViewportPosition(row);
        cells.fileName->setGeometry(columnViewportPosition(FileNameColumn), top, columnWidth(FileNameColumn), rowHeight(row));
        cells.status->setGeometry(columnViewportPosition(StatusColumn), top, columnWidth(StatusColumn), rowHeight(row));
        cells.fileName->show();
        cells.status->show();
    }
}

void TQCAppProgressWindowTableView::recycle(RowCells cells)
{
    for (TQCAppProgressWindowTableCellView* cell : {static_cast<TQCAppProgressWindowTableCellView*>(cells.fileName),
                                                    static_cast<TQCAppProgressWindowTableCellView*>(cells.status)}) {
        cell->hide();
        cell->prepareForReuse();
    }
    spareCells_.push_back(cells);
}

void TQCAppProgressWindowTableView::deleteCellViews()
{
    for (const auto& [row, cells] : shownCells_)
        spareCells_.push_back(cells);
    shownCells_.clear();
    for (const RowCells& cells : spareCells_) {
        delete cells.fileName;
        delete cells.status;
    }
    spareCells_.clear();
}

TQCAppProgressWindowTableCellView* TQCAppProgressWindowTableView::cellView(int row, int column) const
{
    const auto it = shownCells_.find(row);
    if (it == shownCells_.end())
        return nullptr;
    if (column == FileNameColumn)
        return it->second.fileName;
    return column == StatusColumn ? it->second.status : nullptr;
}

uint32_t TQCAppProgressWindowTableView::timeStampMs()
{
    return static_cast<uint32_t>(static_cast<quint64>(QDateTime::currentMSecsSinceEpoch()));
}

void TQCAppProgressWindowTableView::prepareContextMenuAt(const QPoint& pos, uint32_t stampMs)
{
    rightMouseClickTimeStamp_ = stampMs;
    ctxMenuView_ = nullptr;
    if (rightMouseClickTimeStamp_ == 0)
        return;
    const int row = rowAt(pos.y());
    const int column = columnAt(pos.x());
    if (row < 0 || column < 0 || row >= rowCount())
        return;
    TQCAppProgressWindowTableCellView* cell = cellView(row, column);
    if (cell && !cell->URLs().isEmpty())
        ctxMenuView_ = cell;
}

void TQCAppProgressWindowTableView::validateContextMenu(uint32_t nowMs)
{
    const bool usable = rightMouseClickTimeStamp_ != 0 &&
                        static_cast<uint32_t>(nowMs - rightMouseClickTimeStamp_) < kContextMenuValidityMs &&
                        ctxMenuView_ && !ctxMenuView_->URLs().isEmpty();
    showInFinderAction_->setEnabled(usable);
    copyAction_->setEnabled(usable);
}

void TQCAppProgressWindowTableView::contextMenuEvent(QContextMenuEvent* event)
{
    // Only a click of the mouse carries a stamp; a menu opened from the keyboard leaves both items off.
    prepareContextMenuAt(event->pos(), event->reason() == QContextMenuEvent::Mouse ? timeStampMs() : 0);
    validateContextMenu(timeStampMs());
    contextMenu_->popup(event->globalPos());
}

void TQCAppProgressWindowTableView::showInFinderCtx()
{
    if (ctxMenuView_)
        ctxMenuView_->hyperlinkPressed();
}

void TQCAppProgressWindowTableView::copyCtx()
{
    if (!ctxMenuView_)
        return;
    auto* mime = new QMimeData;
    mime->setUrls(ctxMenuView_->URLs());
    QApplication::clipboard()->setMimeData(mime);
}
