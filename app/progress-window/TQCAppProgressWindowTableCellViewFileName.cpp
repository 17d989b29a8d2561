#include "app/progress-window/TQCAppProgressWindowTableCellViewFileName.h"

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowTexts.h"
#include "lifecycle/TQAnalytics.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/engine/TQKitConverter.h"
#include "platform/tqkit-ui/TQKitAlerts.h"

#include <QDesktopServices>
#include <QFileInfo>

using namespace Qt::StringLiterals;

void TQCAppProgressWindowTableCellViewFileName::setObjectValue(TQCAppProgressWindowTableDataRecord* record)
{
    TQCAppProgressWindowTableCellView::setObjectValue(record);
    if (!record)
        return;
    textField()->setText(record->fileName());
    textField()->setToolTip(record->filePath());
    setHyperlinkEnabled(!record->fileName().isEmpty());
}

QList<QUrl> TQCAppProgressWindowTableCellViewFileName::URLs() const
{
    const TQCAppProgressWindowTableDataRecord* record = objectValue();
    if (!record || record->filePath().isEmpty())
        return {};
    if (record->isRemote())
        return {QUrl(record->filePath())};
    if (QFileInfo::exists(record->filePath()))
        return {QUrl::fromLocalFile(record->filePath())};
    if (!record->listItemHandle())
        return {};
    std::string current;
    const QString currentPath = TQCAppTextFromKit(TQKitConversionListItemPath(record->listItemHandle(), current));
    if (!currentPath.isEmpty() && QFileInfo::exists(currentPath))
        return {QUrl::fromLocalFile(currentPath)};
    const std::set<std::string> related =
        TQKitConversionListItemRelatedPaths(record->listHandle(), record->listItemHandle());
    if (!related.empty())
        return {QUrl::fromLocalFile(TQCAppTextFromKit(related.begin()->c_str()))};
    return {};
}

void TQCAppProgressWindowTableCellViewFileName::hyperlinkPressed()
{
    TQAnalyticsPostEvent("ae_cnv_open_conv_finder_item_src");
    const TQCAppProgressWindowTableDataRecord* record = objectValue();
    if (!record || record->filePath().isEmpty())
        return;
    if (record->isRemote()) {
        // Only web addresses are opened from text that came from outside.
        const QUrl url(record->filePath());
        if (url.scheme() == u"http"_s || url.scheme() == u"https"_s)
            QDesktopServices::openUrl(url);
        return;
    }
    const QList<QUrl> urls = URLs();
    if (urls.isEmpty()) {
        TQKitShowMessageBox(window(), u"File does not exist"_s, u"Could not find source file."_s, 0);
        return;
    }
    revealInFileManager(urls);
}
