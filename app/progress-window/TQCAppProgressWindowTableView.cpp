#include "app/progress-window/TQCAppProgressWindowTableView.h"

#include "app/progress-window/TQCAppProgressWindowTableCellViewFileName.h"
#include "app/progress-window/TQCAppProgressWindowTableCellViewStatus.h"
#include "app/progress-window/TQCAppProgressWindowTableDataArray.h"
#include "app/progress-window/TQCAppProgressWindowTableDataRecord.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr uint32_t kContextMenuValidityMs = 500;
constexpr int kRowsPerTurn = 25;

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
    horizontalHeader()->resizeSection(StatusColumn, 190);
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
    connect(showInFinderAction_, &QAction::triggered, this, &TQCAppProgressWindowTableView::showInFinderCtx);
    connect(copyAction_, &QAction::triggered, this, &TQCAppProgressWindowTableView::copyCtx);
}

TQCAppProgressWindowTableView::~TQCAppProgressWindowTableView()
{
    ctxMenuView_ = nullptr;
    // Cells go before their records.
    setRowCount(0);
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
    ++reloadGeneration_;
    const int rows = data_ ? static_cast<int>(data_->arrangedObjects().size()) : 0;
    setRowCount(rows);
    bindRows(0, reloadGeneration_);
}

void TQCAppProgressWindowTableView::bindRows(int first, uint64_t generation)
{
    // Cells are kept and rebound, as a table reuses its cell views. A large batch gets its cells
    // a slice per event-loop turn, so the window keeps answering while they are made.
    if (generation != reloadGeneration_ || !data_)
        return;
    const auto& records = data_->arrangedObjects();
    const int rows = std::min(rowCount(), static_cast<int>(records.size()));
    const int last = std::min(rows, first + kRowsPerTurn);
    for (int row = first; row < last; ++row) {
        if (!cellWidget(row, FileNameColumn)) {
            setCellWidget(row, FileNameColumn, new TQCAppProgressWindowTableCellViewFileName);
            setCellWidget(row, StatusColumn, new TQCAppProgressWindowTableCellViewStatus);
        }
        for (int column : {FileNameColumn, StatusColumn}) {
            if (auto* cell = qobject_cast<TQCAppProgressWindowTableCellView*>(cellWidget(row, column)))
                cell->setObjectValue(records[static_cast<size_t>(row)]);
        }
    }
    if (last < rows)
        QTimer::singleShot(0, this, [this, last, generation] { bindRows(last, generation); });
}

bool TQCAppProgressWindowTableView::isFullyBound() const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (!cellWidget(row, StatusColumn))
            return false;
    }
    return true;
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
    auto* cell = qobject_cast<TQCAppProgressWindowTableCellView*>(cellWidget(row, column));
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
