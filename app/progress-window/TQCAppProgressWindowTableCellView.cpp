#include "app/progress-window/TQCAppProgressWindowTableCellView.h"

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowBackground.h"
#include "platform/tqkit-ui/TQKitAppearance.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>

namespace {

struct RowTint {
    uint32_t flag;
    QColor lightBackground;
    QColor darkText;
};

// First matching flag wins.
const RowTint kRowTints[] = {
    {TQCAppProgressWindowTableDataRecord::kCompletionSucceeded, QColor::fromRgbF(0.95f, 1.0f, 0.95f),
     QColor::fromRgbF(0.85f, 1.0f, 0.85f)},
    {TQCAppProgressWindowTableDataRecord::kCompletionNeutral, QColor::fromRgbF(0.96f, 0.96f, 0.96f),
     QColor::fromRgbF(0.85f, 0.85f, 0.85f)},
    {TQCAppProgressWindowTableDataRecord::kCompletionFailed, QColor::fromRgbF(1.0f, 0.95f, 0.95f),
     QColor::fromRgbF(1.0f, 0.85f, 0.85f)},
};

} // namespace

TQCAppProgressWindowTableCellView::TQCAppProgressWindowTableCellView(QWidget* parent)
    : QWidget(parent), textField_(new TQNSTextFieldLink({}, this)), layout_(new QHBoxLayout(this))
{
    layout_->setContentsMargins(6, 0, 6, 0);
    layout_->setSpacing(2);
    layout_->addWidget(textField_, 1);
    textField_->setTextInteractionFlags(Qt::NoTextInteraction);
    textField_->setHyperLinkEnabled(false);
    connect(textField_, &TQNSTextFieldLink::clicked, this, [this] { hyperlinkPressed(); });
}

TQCAppProgressWindowTableCellView::~TQCAppProgressWindowTableCellView() { prepareForReuse(); }

void TQCAppProgressWindowTableCellView::setObjectValue(TQCAppProgressWindowTableDataRecord* record)
{
    if (!record)
        return;
    prepareForReuse();
    record_ = record;
    record->subscribe(this);
    updateColors();
}

void TQCAppProgressWindowTableCellView::prepareForReuse()
{
    if (record_)
        record_->unsubscribe(this);
    record_ = nullptr;
}

void TQCAppProgressWindowTableCellView::setHyperlinkEnabled(bool enabled)
{
    // Plain until pointed at; a hovered link keeps its look while the record changes.
    if (!enabled || !textField_->underMouse())
        textField_->setHyperLinkEnabled(false);
    hyperlinkEnabled_ = enabled;
    textField_->setHyperLinkEnabledOnMouseOverOnly(enabled);
}

void TQCAppProgressWindowTableCellView::setBackgroundColor(const QColor& color)
{
    backgroundColor_ = color;
    update();
}

void TQCAppProgressWindowTableCellView::tableDataRecordCallbackType(TQCAppProgressWindowTableDataRecord*, int type)
{
    // A cell taken out of the table ignores its old record.
    if (parentWidget())
        updateCellWithCallbackType(type);
}

void TQCAppProgressWindowTableCellView::updateCellWithCallbackType(int type)
{
    if (type == 1)
        updateColors();
}

void TQCAppProgressWindowTableCellView::updateColors()
{
    const uint32_t flags = record_ ? record_->completionStatusFlags() : 0;
    const RowTint* tint = nullptr;
    for (const RowTint& candidate : kRowTints) {
        if (flags & candidate.flag) {
            tint = &candidate;
            break;
        }
    }
    applyingColors_ = true;
    if (TQKitIsDarkAppearance(this)) {
        setBackgroundColor(palette().color(QPalette::Window));
        textField_->setPlainTextColor(tint ? tint->darkText : QColor());
    } else {
        if (tint)
            setBackgroundColor(tint->lightBackground);
        else if (backgroundColor_.isValid())
            setBackgroundColor(QColor());
        textField_->setPlainTextColor(QColor());
    }
    applyingColors_ = false;
}

void TQCAppProgressWindowTableCellView::paintEvent(QPaintEvent* event)
{
    if (backgroundColor_.isValid()) {
        QPainter painter(this);
        painter.fillRect(rect(), backgroundColor_);
        return;
    }
    QWidget::paintEvent(event);
}

void TQCAppProgressWindowTableCellView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) &&
        !applyingColors_)
        updateColors();
}

void TQCAppProgressWindowTableCellView::revealInFileManager(const QList<QUrl>& urls)
{
    QStringList paths;
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    TQKitRevealItemsInFileManager(paths);
}
