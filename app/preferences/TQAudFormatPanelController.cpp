#include "app/preferences/TQAudFormatPanelController.h"

#include "app/preferences/TQAudFormatPanelAIFFController.h"
#include "app/preferences/TQAudFormatPanelFLACController.h"
#include "app/preferences/TQAudFormatPanelM4AController.h"
#include "app/preferences/TQAudFormatPanelMP3Controller.h"
#include "app/preferences/TQAudFormatPanelWAVController.h"
#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit/TQAudFormatFlag.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Around the page, and the gaps where the style names none, in pixels.
constexpr int kMargin = 20;
constexpr int kSpacing = 10;

struct FormatRow {
    int flag;
    const char* title;
    std::function<TQAudFormatPanel*(QObject*)> create;
};

// In pop-up order.
const std::array<FormatRow, 5>& formatTable()
{
    static const std::array<FormatRow, 5> rows{{
        {kTQAudFormatMP3, "MP3 (MPEG Audio Layer 3)", [](QObject* p) { return new TQAudFormatPanelMP3Controller(p); }},
        {kTQAudFormatM4A, "M4A (MPEG-4 Audio)", [](QObject* p) { return new TQAudFormatPanelM4AController(p); }},
        {kTQAudFormatFLAC, "FLAC (Free Lossless Audio Codec)",
         [](QObject* p) { return new TQAudFormatPanelFLACController(p); }},
        {kTQAudFormatAIFF, "AIFF (Audio Interchange File Format)",
         [](QObject* p) { return new TQAudFormatPanelAIFFController(p); }},
        {kTQAudFormatWAV, "WAV (Waveform Audio)", [](QObject* p) { return new TQAudFormatPanelWAVController(p); }},
    }};
    return rows;
}

// The grids of label and control rows under `root`; a grid of one column only places sub-panels.
QList<QGridLayout*> labelGrids(const QWidget* root)
{
    QList<QGridLayout*> grids = root->findChildren<QGridLayout*>();
    grids.removeIf([](const QGridLayout* grid) { return grid->columnCount() < 2; });
    return grids;
}

// The width the labels of the grid's first column ask for, hidden ones included (a panel may show
// them later), or the width the grid reserves for them.
int labelColumnWidth(const QGridLayout* grid)
{
    int width = grid->columnMinimumWidth(0);
    for (int i = 0; i < grid->count(); ++i) {
        int row = 0;
        int column = 0;
        int rowSpan = 0;
        int columnSpan = 0;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        if (column != 0 || columnSpan != 1)
            continue;
        const QLayoutItem* item = grid->itemAt(i);
        width = std::max(width, item->widget() ? item->widget()->sizeHint().width() : item->sizeHint().width());
    }
    return width;
}

} // namespace

int TQAudFormatPanelController::selectedFormat() { return TQAudFormatSelectedRead(); }

TQAudFormatPanelController::~TQAudFormatPanelController() = default;

QIcon TQAudFormatPanelController::toolbarItemImage() const
{
    return QApplication::style()->standardIcon(QStyle::SP_DriveCDIcon);
}

QString TQAudFormatPanelController::toolbarItemTooltip() const
{
    return u"Format\n\nOptions related to format of encoded audio."_s;
}

QWidget* TQAudFormatPanelController::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(u"TQAudFormatPanelController"_s);
    initTQAudFormatPanelInternal(view);
    return view;
}

void TQAudFormatPanelController::initTQAudFormatPanelInternal(QWidget* view)
{
    pageView_ = view;
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    // The format's row stands one row gap above the panel's first row, as the panel's rows stand.
    const int rowGap = view->style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing, nullptr, view);
    layout->setSpacing(rowGap >= 0 ? rowGap : kSpacing);
    formatLabel_ = new QLabel(u"Format:"_s, view);
    formatLabel_->setObjectName(u"formatLabel"_s);
    formatPopupButton_ = new TQKitPopUpButton(view);
    formatPopupButton_->setObjectName(u"formatPopupButton"_s);
    formatLabel_->setBuddy(formatPopupButton_);
    auto* header = new QGridLayout;
    header->setColumnStretch(1, 1);
    header->addWidget(formatLabel_, 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    header->addWidget(formatPopupButton_, 0, 1, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addLayout(header);

    for (const FormatRow& row : formatTable()) {
        if (!(row.flag & supportedFormatFlags_))
            continue;
        formatPopupButton_->menu()->addAction(QString::fromUtf8(row.title));
        formatValues_.append(row.flag);
        TQAudFormatPanel* panel = row.create(this);
        QWidget* panelView = panel->view();
        panelView->setParent(view);
        panelView->hide();
        layout->addWidget(panelView);
        formatViewControllers_.append(panel);
    }
    layout->addStretch(1);
    // The labels of every panel and the format's own label share one column, as wide as the
    // widest of them, so that the controls of all formats start where the format pop-up does.
    const QList<QGridLayout*> grids = labelGrids(view);
    int labelWidth = 0;
    for (const QGridLayout* grid : grids)
        labelWidth = std::max(labelWidth, labelColumnWidth(grid));
    // One gap after the labels too: a grid inside the page's layout would take the page's spacing.
    const int styleGap = view->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, view);
    for (QGridLayout* grid : grids) {
        grid->setColumnMinimumWidth(0, labelWidth);
        grid->setHorizontalSpacing(styleGap >= 0 ? styleGap : kSpacing);
    }
    // A panel that shows or hides controls of its own asks for a new layout of the page, and the
    // window follows the new height (see eventFilter).
    view->installEventFilter(this);
    // One width for every format: the widest panel's.
    pageWidth_ = layout->sizeHint().width();
    for (TQAudFormatPanel* panel : formatViewControllers_)
        pageWidth_ = std::max(pageWidth_, panel->view()->sizeHint().width() + 2 * kMargin);
    connect(formatPopupButton_, &TQKitPopUpButton::activated, this, &TQAudFormatPanelController::formatSelected);

    int format = selectedFormat();
    if (!formatValues_.contains(format) || format == 0)
        format = defaultFormat_;
    setSelectedFormat(format);
    formatPopupButton_->selectItemAtIndex(static_cast<int>(formatValues_.indexOf(format)));

    TQKitSetAccessibilityLabel(formatPopupButton_, u"Audio Format"_s);
    TQKitSetAccessibilityHelp(formatPopupButton_, u"Audio Format\n\nSelect desired format of output audio."_s);
    TQKitSetAccessibilityHelp(formatLabel_, formatPopupButton_->toolTip());
}

int TQAudFormatPanelController::popUpSelectedFormat() const
{
    const int index = formatPopupButton_ ? formatPopupButton_->indexOfSelectedItem() : -1;
    return index >= 0 && index < formatValues_.size() ? formatValues_[index] : 0;
}

TQAudFormatPanel* TQAudFormatPanelController::selectedPanel() const
{
    for (TQAudFormatPanel* panel : formatViewControllers_)
        if (!panel->view()->isHidden())
            return panel;
    return nullptr;
}

void TQAudFormatPanelController::setSelectedFormat(int format)
{
    const qsizetype shown = formatValues_.indexOf(format);
    if (shown < 0)
        return;
    for (qsizetype i = 0; i < formatViewControllers_.size(); ++i)
        if (i != shown)
            formatViewControllers_[i]->view()->hide();
    formatViewControllers_[shown]->view()->show();
    fitWindowToPage();
}

// The page takes the shown panel's height and the common width; the window around it follows,
// keeping its top-left corner, and can't be resized.
void TQAudFormatPanelController::fitWindowToPage()
{
    QWidget* page = pageView_;
    page->layout()->activate();
    const QSize size(pageWidth_, page->layout()->sizeHint().height());
    QWidget* window = page->window();
    // What the window holds besides the page (its toolbar), measured before the page changes.
    const QSize around = (window->size() - page->size()).expandedTo(QSize(0, 0));
    page->setFixedSize(size);
    if (window == page)
        return;
    const QSize windowSize = size + around;
    window->setMinimumSize(windowSize);
    window->setMaximumSize(windowSize);
    window->resize(windowSize);
}

bool TQAudFormatPanelController::eventFilter(QObject* watched, QEvent* event)
{
    // The page's layout has taken the new size hints by now (layouts see the event first).
    if (watched == pageView_ && event->type() == QEvent::LayoutRequest && selectedPanel())
        fitWindowToPage();
    return TQPreferencesViewController::eventFilter(watched, event);
}

void TQAudFormatPanelController::formatSelected()
{
    const int format = popUpSelectedFormat();
    TQAudFormatSelectedWrite(format);
    setSelectedFormat(format);
}

QString TQAudFormatPanelController::appInfoNetworkMenuKeyword() const
{
    switch (popUpSelectedFormat()) {
    case 0:
    case kTQAudFormatMP3: return u"pref_mp3"_s;
    case kTQAudFormatWAV: return u"pref_wav"_s;
    case kTQAudFormatM4A: return u"pref_m4a"_s;
    case kTQAudFormatAIFF: return u"pref_aiff"_s;
    case kTQAudFormatFLAC: return u"pref_flac"_s;
    default: return {};
    }
}

bool TQAudFormatPanelController::commitEditing()
{
    TQPreferencesViewController::commitEditing();
    if (TQAudFormatPanel* panel = selectedPanel())
        panel->commitEditing();
    return true;
}

void TQAudFormatPanelController::resetPreferences()
{
    if (TQAudFormatPanel* panel = selectedPanel())
        panel->resetPreferences();
}

QString TQAudFormatPanelController::resetPreferencesTitle() const
{
    const TQAudFormatPanel* panel = selectedPanel();
    return panel ? panel->resetPreferencesTitle() : QString();
}
