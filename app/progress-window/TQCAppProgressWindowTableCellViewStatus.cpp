#include "app/progress-window/TQCAppProgressWindowTableCellViewStatus.h"

#include "app/controls/TQControlProgressIndicatorSpin.h"
#include "app/controls/TQNSTextFieldLink.h"
#include "lifecycle/TQAnalytics.h"
#include "platform/tqkit-ui/TQKitAlerts.h"

#include <QFileInfo>
#include <QHBoxLayout>


using namespace Qt::StringLiterals;

TQCAppProgressWindowTableCellViewStatus::TQCAppProgressWindowTableCellViewStatus(QWidget* parent)
    : TQCAppProgressWindowTableCellView(parent), progressIndicator_(new TQControlProgressIndicatorSpin(this))
{
    progressIndicator_->setFixedSize(14, 14);
    progressIndicator_->setColor(palette().color(QPalette::WindowText));
    progressIndicator_->hide();
    cellLayout()->addWidget(progressIndicator_, 0, Qt::AlignVCenter);
}

QString TQCAppProgressWindowTableCellViewStatus::statusText(int status)
{
    switch (status) {
    case 1: return u"Opening..."_s;
    case 2: return u"Adjusting volume..."_s;
    case 3: return u"Trimming..."_s;
    case 4: return u"Converting..."_s;
    case 5: return u"Copying..."_s;
    case 6: return u"Setting tags..."_s;
    case 7: return u"Loading tags..."_s;
    case 8: return u"Moving destination file..."_s;
    case 10: return u"Organizing..."_s;
    default: return {};
    }
}

void TQCAppProgressWindowTableCellViewStatus::setObjectValue(TQCAppProgressWindowTableDataRecord* record)
{
    TQCAppProgressWindowTableCellView::setObjectValue(record);
    if (!record)
        return;
    setHyperlinkEnabled(false);
    updateProgress();
    updateStatus();
}

void TQCAppProgressWindowTableCellViewStatus::updateCellWithCallbackType(int type)
{
    TQCAppProgressWindowTableCellView::updateCellWithCallbackType(type);
    if (type == 0)
        updateProgress();
    else if (type == 1)
        updateStatus();
}

void TQCAppProgressWindowTableCellViewStatus::updateProgress()
{
    const double progress = objectValue() ? objectValue()->progress() : 0.0;
    if (progress > 0.0 && progress < 1.0) { // NaN fails both tests
        showProgressIndicatorSafe(true);
        // The engine reports a fraction; the pie is drawn against its own maximum.
        progressIndicator_->setCurrentValue(progress * progressIndicator_->maxValue());
    } else {
        showProgressIndicatorSafe(false);
    }
}

void TQCAppProgressWindowTableCellViewStatus::showProgressIndicatorSafe(bool show)
{
    if (progressIndicator_->isVisibleTo(this) != show)
        progressIndicator_->setVisible(show);
}

void TQCAppProgressWindowTableCellViewStatus::updateStatus()
{
    setHyperlinkEnabled(false);
    const TQCAppProgressWindowTableDataRecord* record = objectValue();
    const int status = record ? record->status() : 0;
    if (status == TQCAppProgressWindowTableDataRecord::kStatusCompleted) {
        textField()->setText(record->completionStatusName());
        setHyperlinkEnabled((record->completionStatusFlags() & TQCAppProgressWindowTableDataRecord::kCompletionCanShowResult) != 0);
        showProgressIndicatorSafe(false);
    } else {
        textField()->setText(statusText(status));
    }
    const QString help = hyperlinkEnabled() ? u"Click here to show converted file in the file manager"_s
                                            : u"Shows current status of conversion"_s;
    textField()->setAccessibleDescription(help);
    textField()->setToolTip(hyperlinkEnabled() ? help : QString());
}

QList<QUrl> TQCAppProgressWindowTableCellViewStatus::URLs() const
{
    QList<QUrl> urls;
    if (!objectValue())
        return urls;
    for (const QString& path : objectValue()->resFilePaths().value_or(QStringList())) {
        if (!path.isEmpty() && QFileInfo::exists(path))
            urls.append(QUrl::fromLocalFile(path));
    }
    return urls;
}

void TQCAppProgressWindowTableCellViewStatus::hyperlinkPressed()
{
    TQAnalyticsPostEvent("ae_cnv_open_conv_finder_item_dst");
    const QList<QUrl> urls = URLs();
    if (urls.isEmpty()) {
        TQKitShowMessageBox(window(), u"File does not exist"_s, u"Could not find destination file."_s, 0);
        return;
    }
    revealInFileManager(urls);
}
