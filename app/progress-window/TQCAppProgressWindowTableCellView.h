#pragma once

#include "app/progress-window/TQCAppProgressWindowTableDataRecord.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>

class QHBoxLayout;
class TQNSTextFieldLink;

// A cell of the progress table: one text that can act as a link, bound to one row record. The
// cell subscribes to its record and repaints when the record reports a change; a finished row is
// tinted by its completion flags (green, grey or red), in the light palette as a background, in the
// dark palette as the text colour. Main thread only.
class TQCAppProgressWindowTableCellView : public QWidget, public TQCAppProgressWindowTableDataRecordSubscriber {
    Q_OBJECT

public:
    explicit TQCAppProgressWindowTableCellView(QWidget* parent = nullptr);
    ~TQCAppProgressWindowTableCellView() override;

    // Binds the cell to `record` (null is ignored: the cell keeps its record), moving its
    // subscription from the old record.
    virtual void setObjectValue(TQCAppProgressWindowTableDataRecord* record);
    TQCAppProgressWindowTableDataRecord* objectValue() const { return record_; }
    // Lets go of the record: a cell waiting to be given another row hears of none.
    void prepareForReuse();

    TQNSTextFieldLink* textField() const { return textField_; }
    bool hyperlinkEnabled() const { return hyperlinkEnabled_; }
    // The text works as a link, underlined while the mouse is over it.
    void setHyperlinkEnabled(bool enabled);
    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);

    // The files (or web address) the cell's link leads to; empty when none.
    virtual QList<QUrl> URLs() const { return {}; }
    virtual void hyperlinkPressed() {}

    void tableDataRecordCallbackType(TQCAppProgressWindowTableDataRecord* record, int type) override;

protected:
    // Type 1 (status changed) repaints the colours.
    virtual void updateCellWithCallbackType(int type);
    void updateColors();
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    QHBoxLayout* cellLayout() const { return layout_; }

    // Shows the local files of `urls` selected in the file manager.
    static void revealInFileManager(const QList<QUrl>& urls);

private:
    QPointer<TQCAppProgressWindowTableDataRecord> record_;
    TQNSTextFieldLink* textField_;
    QHBoxLayout* layout_;
    bool hyperlinkEnabled_ = false;
    bool applyingColors_ = false;
    QColor backgroundColor_;
};
