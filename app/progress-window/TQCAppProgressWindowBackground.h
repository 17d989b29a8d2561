#pragma once

#include "app/controls/TQNSViewDropPanel.h"

// The content view of a progress window. As a drop panel it takes files, folders and URLs dropped
// on the window and hands them to its delegate (the main window controller, which starts a new
// batch with them). It lays out its parts with fixed margins whenever its size changes, and paints
// white in the light palette and the window colour in the dark one. The parts
// are its direct children, found by their "tag" property (10 menu button, 20 top status line,
// 30 Stop button, 50 send-to-Music link, 60 bottom status line, 70 details button), the first
// progress bar and the first scroll area (the table). In the finished layout the row of the links
// moves up into the place of the hidden progress bar and Stop button. Main thread only.
class TQCAppProgressWindowBackground final : public TQNSViewDropPanel {
    Q_OBJECT

public:
    static constexpr int kTagMenuButton = 10;
    static constexpr int kTagStatusTop = 20;
    static constexpr int kTagStopButton = 30;
    static constexpr int kTagSendToMusicLink = 50;
    static constexpr int kTagStatusBottom = 60;
    static constexpr int kTagDetailsButton = 70;

    explicit TQCAppProgressWindowBackground(QWidget* parent = nullptr);

    // Narrows the bottom status line for the links of a finished batch; only the first call acts.
    void setFinishedLayoutState();
    // Where the list begins: the height of the status area above it.
    int listTop() const;
    bool finishedLayoutState() const { return finishedLayoutState_; }
    // The window width that shows a bottom status line `textWidth` pixels wide whole.
    int widthForStatusLine(int textWidth) const;
    // Places the parts; nothing happens when the size is the one last laid out.
    void updateLayout();
    void updateThemeColors();
    // How many times the parts were placed (a layout that found the size unchanged does not count).
    int layoutCount() const { return layoutCount_; }

    // The direct child carrying `tag`, or null.
    QWidget* partWithTag(int tag) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int secondRowTop() const;
    int statusLineStart() const; // after the menu button and the details button

    int prevWidth_ = 0;
    int prevHeight_ = 0;
    bool finishedLayoutState_ = false;
    bool applyingTheme_ = false;
    int layoutCount_ = 0;
};
