#pragma once

#include "app/progress-window/TQCAppProgressWindowTableCellView.h"

// The file-name cell: the item's name as a link to its source file (or its web address).
class TQCAppProgressWindowTableCellViewFileName final : public TQCAppProgressWindowTableCellView {
    Q_OBJECT

public:
    using TQCAppProgressWindowTableCellView::TQCAppProgressWindowTableCellView;

    void setObjectValue(TQCAppProgressWindowTableDataRecord* record) override;
    // The source as it was given, else where the item's source is now, else the first related path.
    QList<QUrl> URLs() const override;
    void hyperlinkPressed() override;
};
