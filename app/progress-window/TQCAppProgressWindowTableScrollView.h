#pragma once

#include <QScrollArea>

// The frame of a progress window's table. The table scrolls its own rows, so this area never
// scrolls: it only hides the table once it is 17 points tall or less (the details area closed to
// nothing, where a sliver of header would show) and shows it again when it grows. Main thread only.
class TQCAppProgressWindowTableScrollView final : public QScrollArea {
    Q_OBJECT

public:
    // The tallest frame that still counts as closed.
    static constexpr int kClosedHeight = 17;

    explicit TQCAppProgressWindowTableScrollView(QWidget* parent = nullptr);

    // Whether the content (the table) shows.
    bool contentShown() const;

protected:
    // A scroll area hears of its own resizes through its viewport, which hears of nothing while
    // hidden: the frame's own resize event is watched instead.
    bool event(QEvent* event) override;
};
