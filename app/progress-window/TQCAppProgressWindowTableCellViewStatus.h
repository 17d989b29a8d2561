#pragma once

#include "app/progress-window/TQCAppProgressWindowTableCellView.h"

class TQControlProgressIndicatorSpin;

// The status cell: the item's state in words with a spinner while it is worked on; once done, the
// completion name as a link that reveals the converted file.
class TQCAppProgressWindowTableCellViewStatus final : public TQCAppProgressWindowTableCellView {
    Q_OBJECT

public:
    explicit TQCAppProgressWindowTableCellViewStatus(QWidget* parent = nullptr);

    // The text of an item status (0 and unknown statuses: empty; 9: the completion name).
    static QString statusText(int status);

    void setObjectValue(TQCAppProgressWindowTableDataRecord* record) override;
    // The result files that exist.
    QList<QUrl> URLs() const override;
    void hyperlinkPressed() override;

    TQControlProgressIndicatorSpin* progressIndicator() const { return progressIndicator_; }
    void updateProgress();
    void updateStatus();

protected:
    void updateCellWithCallbackType(int type) override;

private:
    void showProgressIndicatorSafe(bool show);

    TQControlProgressIndicatorSpin* progressIndicator_;
};
