#include "app/controls/TQControlProgressIndicatorSpin.h"
#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowBackground.h"
#include "app/progress-window/TQCAppProgressWindowTableCellViewFileName.h"
#include "app/progress-window/TQCAppProgressWindowTableCellViewStatus.h"
#include "app/progress-window/TQCAppProgressWindowTableDataRecord.h"
#include "app/progress-window/TQCAppProgressWindowTableScrollView.h"
#include "app/progress-window/TQCAppProgressWindowTableView.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"
#include "tests/app/progress-window/ProgressWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"
#include "tests/support/QtTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>

#include <fstream>
#include <thread>

using namespace Qt::StringLiterals;
namespace engine = sonvale::test::engine;

namespace sonvale::test {
namespace {

class ProgressTableTest : public ProgressWindowFixture {
protected:
    void SetUp() override
    {
        ProgressWindowFixture::SetUp();
        list_ = engine::createList(destination().string());
        std::vector<std::string> paths;
        for (const char* name : {"one.wav", "two.wav", "three.wav"})
            paths.push_back(addSource(name).toStdString());
        TQKitConversionListAddSources(list_, paths, 0, 0);
        items_ = engine::items(list_);
    }
    void TearDown() override
    {
        table_.reset();
        TQKitConversionListRelease(list_);
        ProgressWindowFixture::TearDown();
    }

    TQCAppProgressWindowTableView& table()
    {
        if (!table_) {
            table_ = std::make_unique<TQCAppProgressWindowTableView>();
            table_->resize(500, 200);
            table_->setListHandle(list_);
            table_->show();
        }
        return *table_;
    }
    TQCAppProgressWindowTableCellViewStatus* statusCell(int row)
    {
        return qobject_cast<TQCAppProgressWindowTableCellViewStatus*>(table().cellView(row, 1));
    }
    QStringList namesInRows()
    {
        QStringList names;
        for (int row = 0; row < table().rowCount(); ++row)
            names.append(table().cellView(row, 0)->textField()->text());
        return names;
    }

    TQKitConversionList* list_ = nullptr;
    std::vector<TQKitConversionListItem*> items_;
    std::unique_ptr<TQCAppProgressWindowTableView> table_;
};

TEST_F(ProgressTableTest, RecordNeedsBothHandlesAndKeepsItsIdentityAfterCleanup)
{
    EXPECT_EQ(TQCAppProgressWindowTableDataRecord::create(nullptr, items_[0]), nullptr);
    EXPECT_EQ(TQCAppProgressWindowTableDataRecord::create(list_, nullptr), nullptr);

    const int references = engine::referenceCount(list_);
    auto record = TQCAppProgressWindowTableDataRecord::create(list_, items_[1]);
    EXPECT_EQ(engine::referenceCount(list_), references + 1);
    EXPECT_TRUE(engine::itemHasCallback(items_[1]));
    engine::setItemStatus(items_[1], 4);
    EXPECT_EQ(record->status(), 4);

    record->cleanup();
    EXPECT_FALSE(engine::itemHasCallback(items_[1]));
    EXPECT_EQ(engine::referenceCount(list_), references);
    EXPECT_EQ(record->status(), 0);
    EXPECT_EQ(record->completionStatusName(), QString());
    EXPECT_EQ(record->resFilePaths(), std::nullopt);
    EXPECT_EQ(record->fileName(), u"two.wav"_s);
    EXPECT_EQ(record->listItemId(), 2u);
    record->cleanup(); // a second cleanup finds nothing to do
}

TEST_F(ProgressTableTest, RecordsSortByStatusThenNameThenIdentifier)
{
    auto first = TQCAppProgressWindowTableDataRecord::create(list_, items_[0]);
    auto second = TQCAppProgressWindowTableDataRecord::create(list_, items_[1]);
    auto third = TQCAppProgressWindowTableDataRecord::create(list_, items_[2]);
    engine::completeItem(items_[0], "done", 0x40);
    engine::completeItem(items_[1], "Done", 0x40);
    EXPECT_EQ(first->statusSort(), 2u);
    EXPECT_EQ(third->statusSort(), 3u);
    EXPECT_LT(first->compareByStatus(*second), 0); // equal names: the identifier decides
    EXPECT_GT(second->compareByStatus(*first), 0);
    EXPECT_LT(first->compareByStatus(*third), 0);
    engine::setItemStatus(items_[2], 4);
    EXPECT_EQ(third->statusSort(), 0u);
    EXPECT_LT(third->compareByStatus(*first), 0); // in work before completed
    EXPECT_LT(first->compareByListItemId(*third), 0);
}

TEST_F(ProgressTableTest, ResultPathsTellNothingProducedFromEmptyPaths)
{
    auto record = TQCAppProgressWindowTableDataRecord::create(list_, items_[0]);
    EXPECT_EQ(record->resFilePaths(), std::nullopt);
    engine::completeItem(items_[0], "one.mp3", 0x42, "/results/one.mp3");
    EXPECT_EQ(record->resFilePaths(), QStringList{u"/results/one.mp3"_s});
}

TEST_F(ProgressTableTest, TableShowsItemsInListOrderAndSortsByStatus)
{
    EXPECT_EQ(namesInRows(), (QStringList{u"one.wav"_s, u"two.wav"_s, u"three.wav"_s}));
    engine::setItemStatus(items_[2], 4);
    engine::completeItem(items_[0], "one.mp3", 0x42);
    table().sortByStatus();
    EXPECT_EQ(namesInRows(), (QStringList{u"three.wav"_s, u"one.wav"_s, u"two.wav"_s}));
    table().resortByStatusDescAndReload();
    EXPECT_EQ(namesInRows(), (QStringList{u"one.wav"_s, u"two.wav"_s, u"three.wav"_s}));
    EXPECT_EQ(table().selectionMode(), QAbstractItemView::NoSelection);
}

TEST_F(ProgressTableTest, OnlyRowsInViewHaveCellsAndScrollingHandsThemOn)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i)
        paths.push_back(addSource(QString::asprintf("many%03d.wav", i).toStdString()).toStdString());
    TQKitConversionList* many = engine::createList(destination().string());
    TQKitConversionListAddSources(many, paths, 0, 0);
    const std::vector<TQKitConversionListItem*> manyItems = engine::items(many);
    table().setListHandle(many);
    pumpEvents();

    const int lastInView = table().rowAt(table().viewport()->height() - 1);
    ASSERT_GT(lastInView, 0);
    ASSERT_LT(lastInView, 20);
    EXPECT_NE(table().cellView(lastInView, TQCAppProgressWindowTableView::StatusColumn), nullptr);
    EXPECT_EQ(table().cellView(lastInView + 1, TQCAppProgressWindowTableView::StatusColumn), nullptr);
    TQCAppProgressWindowTableDataRecord* top = table().cellView(0, 0)->objectValue();
    EXPECT_EQ(top->subscriberCount(), 2);

    table().scrollToBottom();
    pumpEvents();
    EXPECT_EQ(table().cellView(0, 0), nullptr);
    EXPECT_EQ(top->subscriberCount(), 0); // a row out of view has no cell to tell
    ASSERT_NE(table().cellView(299, 0), nullptr);
    EXPECT_EQ(table().cellView(299, 0)->textField()->text(), u"many299.wav"_s);
    engine::setItemStatus(manyItems[299], 4);
    EXPECT_EQ(statusCell(299)->textField()->text(), u"Converting..."_s);
    // The cells of the rows that left the view were given to the rows that came in.
    const auto cells = table().viewport()->findChildren<TQCAppProgressWindowTableCellView*>(Qt::FindDirectChildrenOnly);
    EXPECT_LE(cells.size(), 2 * (lastInView + 2));

    table().setListHandle(nullptr);
    TQKitConversionListRelease(many);
}

TEST_F(ProgressTableTest, NullListEmptiesTheTableAndReleasesTheOldList)
{
    const int references = engine::referenceCount(list_);
    table();
    EXPECT_GT(engine::referenceCount(list_), references);
    table().setListHandle(nullptr);
    EXPECT_EQ(table().rowCount(), 0);
    EXPECT_FALSE(table().hasListHandle());
    EXPECT_EQ(engine::referenceCount(list_), references);
    for (TQKitConversionListItem* item : items_)
        EXPECT_FALSE(engine::itemHasCallback(item));
}

TEST_F(ProgressTableTest, StatusCellShowsEachStateText)
{
    const QString expected[] = {u""_s, u"Opening..."_s, u"Adjusting volume..."_s, u"Trimming..."_s,
                                u"Converting..."_s, u"Copying..."_s, u"Setting tags..."_s, u"Loading tags..."_s,
                                u"Moving destination file..."_s, u""_s, u"Organizing..."_s, u""_s};
    for (int status = 0; status <= 11; ++status) {
        SCOPED_TRACE(status);
        engine::setItemStatus(items_[0], status);
        EXPECT_EQ(statusCell(0)->textField()->text(), expected[status]); // 9: the (empty) completion name
    }
}

TEST_F(ProgressTableTest, FinishedRowsAreTintedAndLinkedByTheirFlags)
{
    table();
    const std::filesystem::path result = destination() / "one.mp3";
    std::ofstream(result) << "mp3";
    engine::completeItem(items_[0], "one.mp3", 0x42, result.string());
    engine::completeItem(items_[1], "Failed", 0x80);

    auto* green = statusCell(0);
    EXPECT_EQ(green->textField()->text(), u"one.mp3"_s);
    EXPECT_TRUE(green->hyperlinkEnabled());
    EXPECT_FALSE(green->progressIndicator()->isVisibleTo(green));
    EXPECT_EQ(green->backgroundColor(), QColor::fromRgbF(0.95f, 1.0f, 0.95f));
    EXPECT_EQ(green->URLs(), QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(result.string()))});

    auto* red = statusCell(1);
    EXPECT_EQ(red->textField()->text(), u"Failed"_s);
    EXPECT_FALSE(red->hyperlinkEnabled());
    EXPECT_EQ(red->backgroundColor(), QColor::fromRgbF(1.0f, 0.95f, 0.95f));

    // In the dark palette the background is the window's and the text carries the tint.
    QApplication::setPalette(darkPalette());
    pumpEvents();
    EXPECT_EQ(green->backgroundColor(), darkPalette().color(QPalette::Window));
    EXPECT_EQ(green->textField()->palette().color(QPalette::WindowText), QColor::fromRgbF(0.85f, 1.0f, 0.85f));
    QApplication::setPalette(QPalette());
}

TEST_F(ProgressTableTest, LongStatusTextsEndInAnEllipsisShowWholeInTheTipAndTheColumnFollowsTheWindow)
{
    const QString failure = u"Failed: the file is truncated or damaged"_s;
    engine::completeItem(items_[1], failure.toStdString(), 0x80);
    table().resize(320, 200);
    pumpEvents();
    TQNSTextFieldLink* field = statusCell(1)->textField();
    const int narrow = table().columnWidth(TQCAppProgressWindowTableView::StatusColumn);
    EXPECT_TRUE(field->isTruncated());
    EXPECT_TRUE(field->toolTipText().startsWith(failure)) << field->toolTipText().toStdString();
    EXPECT_EQ(field->text(), failure) << "cut only where it is drawn";

    table().resize(1000, 200);
    pumpEvents();
    const int wide = table().columnWidth(TQCAppProgressWindowTableView::StatusColumn);
    EXPECT_GT(wide, narrow);
    EXPECT_FALSE(field->isTruncated());
    EXPECT_EQ(field->toolTipText(), field->toolTip());

    // A width the user gives the column by dragging is kept as its share.
    table().horizontalHeader()->resizeSection(TQCAppProgressWindowTableView::StatusColumn, wide / 2);
    table().resize(500, 200);
    pumpEvents();
    EXPECT_LT(table().columnWidth(TQCAppProgressWindowTableView::StatusColumn), wide / 3);
}

TEST_F(ProgressTableTest, StatusColumnFitsTheWidestCompletionTextOfRowsOutOfViewWithoutMakingTheirRecords)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i)
        paths.push_back(addSource(QString::asprintf("fit%03d.wav", i).toStdString()).toStdString());
    TQKitConversionList* many = engine::createList(destination().string());
    TQKitConversionListAddSources(many, paths, 0, 0);
    const std::vector<TQKitConversionListItem*> manyItems = engine::items(many);
    const QString failure = u"Failed: the file is truncated or damaged"_s;
    for (size_t i = 0; i < manyItems.size(); ++i)
        if (i == 250)
            engine::completeItem(manyItems[i], failure.toStdString(), 0x80);
        else
            engine::completeItem(manyItems[i], "Converted", 0x42);
    table().setListHandle(many);
    pumpEvents();
    const int before = table().columnWidth(TQCAppProgressWindowTableView::StatusColumn);
    ASSERT_LT(before, QFontMetrics(table().font()).horizontalAdvance(failure));

    table().fitStatusColumnToTexts();
    EXPECT_GT(table().columnWidth(TQCAppProgressWindowTableView::StatusColumn),
              QFontMetrics(table().font()).horizontalAdvance(failure));
    EXPECT_FALSE(engine::itemHasCallback(manyItems[250])) << "a row out of view has no record";
    table().setListHandle(nullptr);
    TQKitConversionListRelease(many);
}

TEST_F(ProgressTableTest, SpinnerFollowsTheItemsProgressOnItsOwnScale)
{
    table();
    auto* cell = statusCell(0);
    engine::setItemStatus(items_[0], 4);
    struct Case {
        double progress;
        bool shown;
    } cases[] = {{0.0, false}, {0.37, true}, {1.0, false}, {std::nan(""), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.progress);
        engine::setItemProgress(items_[0], c.progress);
        EXPECT_EQ(cell->progressIndicator()->isVisibleTo(cell), c.shown);
        if (c.shown) {
            const auto* spin = cell->progressIndicator();
            EXPECT_DOUBLE_EQ(spin->currentValue() / spin->maxValue(), c.progress);
        }
    }
}

TEST_F(ProgressTableTest, ChangesReportedOnEngineThreadsReachCellsOnTheMainThread)
{
    table();
    std::thread([this] { engine::setItemStatus(items_[2], 7); }).join();
    EXPECT_TRUE(pumpUntil([this] { return statusCell(2)->textField()->text() == u"Loading tags..."_s; }));

    // A change queued for a table that is gone by the time it arrives is dropped.
    std::thread([this] { engine::setItemStatus(items_[2], 8); }).join();
    table_.reset();
    pumpEvents();
}

TEST_F(ProgressTableTest, ContextMenuActsOnTheRightClickedCellForHalfASecond)
{
    table();
    const std::filesystem::path result = destination() / "one.mp3";
    std::ofstream(result) << "mp3";
    engine::completeItem(items_[0], "one.mp3", 0x42, result.string());
    const QPoint onFinishedStatus(table().columnViewportPosition(1) + 10, table().rowViewportPosition(0) + 5);
    const QPoint onWaitingStatus(table().columnViewportPosition(1) + 10, table().rowViewportPosition(1) + 5);

    table().prepareContextMenuAt(onFinishedStatus, 1000);
    table().validateContextMenu(1499);
    EXPECT_TRUE(table().showInFinderAction()->isEnabled());
    EXPECT_TRUE(table().copyAction()->isEnabled());
    table().validateContextMenu(1500);
    EXPECT_FALSE(table().copyAction()->isEnabled());

    QApplication::clipboard()->setText(u"before"_s);
    table().validateContextMenu(1001);
    table().copyCtx();
    EXPECT_EQ(QApplication::clipboard()->mimeData()->urls(),
              QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(result.string()))});

    table().prepareContextMenuAt(onWaitingStatus, 1000);
    table().validateContextMenu(1001);
    EXPECT_FALSE(table().showInFinderAction()->isEnabled());

    table().prepareContextMenuAt(onFinishedStatus, 0); // not opened by the mouse
    table().validateContextMenu(1);
    EXPECT_FALSE(table().showInFinderAction()->isEnabled());
}

TEST_F(ProgressTableTest, TheRowLinksAndShowInFileManagerSelectTheirFiles)
{
    QList<QStringList> reveals;
    TQKitSetRevealRecorder([&reveals](const QStringList& paths) { reveals.append(paths); });
    table();
    const std::filesystem::path result = destination() / "one.mp3";
    std::ofstream(result) << "mp3";
    engine::completeItem(items_[0], "one.mp3", 0x42, result.string());
    const QString resultPath = QString::fromStdString(result.string());
    const QString sourcePath = QString::fromStdString((sources() / "one.wav").string());

    Q_EMIT statusCell(0)->textField()->clicked();       // the result
    Q_EMIT table().cellView(0, 0)->textField()->clicked(); // the source
    const QPoint onResult(table().columnViewportPosition(1) + 10, table().rowViewportPosition(0) + 5);
    table().prepareContextMenuAt(onResult, 1000);
    table().validateContextMenu(1001);
    table().showInFinderAction()->trigger();
    TQKitSetRevealRecorder({});
    EXPECT_EQ(reveals, (QList<QStringList>{{resultPath}, {sourcePath}, {resultPath}}));
}

TEST(ProgressWindowBackgroundTest, LaysOutItsPartsWithFixedMargins)
{
    TQCAppProgressWindowBackground panel;
    const auto part = [&panel](int tag, QSize size) {
        auto* widget = new QWidget(&panel);
        widget->setProperty("tag", tag);
        widget->resize(size);
        return widget;
    };
    QWidget* a = part(10, {34, 34});
    QWidget* b = part(20, {100, 20});
    QWidget* c = part(30, {76, 28});
    auto* bar = new QProgressBar(&panel);
    bar->resize(100, 16);
    QWidget* e = part(50, {90, 18});
    QWidget* f = part(60, {100, 18});
    auto* list = new TQCAppProgressWindowTableView(&panel);

    panel.resize(560, 320);
    panel.updateLayout();
    EXPECT_EQ(a->geometry(), QRect(13, 15, 34, 34));
    EXPECT_EQ(b->geometry(), QRect(55, 7, 491, 20));
    EXPECT_EQ(c->geometry(), QRect(470, 29, 76, 28));
    EXPECT_EQ(bar->geometry(), QRect(55, 35, 413, 16));
    EXPECT_EQ(e->geometry(), QRect(456, 59, 90, 18));
    EXPECT_EQ(f->geometry(), QRect(55, 59, 491, 18));
    EXPECT_EQ(list->geometry(), QRect(0, 85, 560, 235));
    EXPECT_FALSE(list->isHidden());

    const int layouts = panel.layoutCount();
    panel.updateLayout();
    EXPECT_EQ(panel.layoutCount(), layouts); // same size: nothing to do

    panel.setFinishedLayoutState();
    panel.setFinishedLayoutState();
    EXPECT_EQ(panel.layoutCount(), layouts + 1);
    EXPECT_EQ(f->width(), 60);

    panel.resize(560, 109); // 24 points left for the list
    panel.updateLayout();
    EXPECT_TRUE(list->isHidden());
}

TEST(ProgressWindowTableScrollViewTest, HidesTheTableWhenClosedToASliver)
{
    QWidget window;
    auto* frame = new TQCAppProgressWindowTableScrollView(&window);
    auto* table = new TQCAppProgressWindowTableView;
    frame->setWidget(table);
    window.resize(400, 200);
    window.show();
    for (const auto& [height, shown] : {std::pair{18, true}, {17, false}, {0, false}, {120, true}}) {
        frame->setGeometry(0, 0, 400, height);
        pumpEvents();
        EXPECT_EQ(frame->contentShown(), shown) << height;
        EXPECT_EQ(table->isVisible(), shown) << height;
    }
}

TEST(ProgressWindowBackgroundTest, FollowsTheLightOrDarkPalette)
{
    TQCAppProgressWindowBackground panel;
    EXPECT_EQ(panel.palette().color(QPalette::Window), QColor(Qt::white));
    QApplication::setPalette(darkPalette());
    pumpEvents();
    EXPECT_EQ(panel.palette().color(QPalette::Window), darkPalette().color(QPalette::Window));
    QApplication::setPalette(QPalette());
    pumpEvents();
    EXPECT_EQ(panel.palette().color(QPalette::Window), QColor(Qt::white));
}

} // namespace
} // namespace sonvale::test
