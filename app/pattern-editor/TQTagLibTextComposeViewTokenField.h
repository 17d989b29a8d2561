#pragma once

// The editing field of the pattern editor: one line in which key tokens are chips and literal text
// is typed between them. Its object value is a token array. A plus button inside its right edge
// opens the menu of all tokens ("Add New Component"), as Return does with Shift, Ctrl or Alt held;
// an optional left button inside its left edge belongs to the host. Copy, paste and drag carry the
// pattern as text ("{{artist}} - {{title}}"). Typed key text ("{{album}}") becomes a chip once its
// closing braces are typed, on Return and when the field loses the keyboard.
//
// Positions of the selected range count editing positions: one per chip and one per character of
// literal text, which index the split form of the object value directly. Main thread only.

#include "app/pattern-editor/TQTagLibTextComposeViewToken.h"

#include <QTextEdit>

class QMenu;
class QToolButton;

class TQTagLibTextComposeViewTokenField final : public QTextEdit {
    Q_OBJECT

public:
    struct Range {
        qsizetype location = 0;
        qsizetype length = 0;
        bool operator==(const Range&) const = default;
    };

    explicit TQTagLibTextComposeViewTokenField(QWidget* parent = nullptr);
    ~TQTagLibTextComposeViewTokenField() override;

    TQTokenObjectArray objectValue() const;
    void setObjectValue(const TQTokenObjectArray& tokens);

    QToolButton* plusButton() const { return plusButton_; }
    // The left button while it is shown, else null. The host gives it its action.
    QToolButton* leftButton() const { return leftButton_; }
    bool showsLeftButton() const { return leftButton_ != nullptr; }
    void setShowsLeftButton(bool shows);

    // Takes the keyboard and puts the caret at the end of the line.
    void startEditing();
    Range selectedRange() const;
    void setSelectedRange(Range range);

    // Inserts `token` at the caret (at the start of a selection, which is kept); with a bare caret
    // the caret lands after the token.
    void tokenInsert(const TQTokenObject& token);
    // Shows the objects again after one of them changed (a digits choice), keeping the selection.
    void tokenRefreshed();

    // Opens the menu of all tokens at the plus button.
    void plusButtonAction();
    QMenu* plusButtonMenu();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The tokens changed: typing, insertion, paste, a digits choice.
    void patternDidChange();
    // Return was pressed without Shift, Ctrl or Alt.
    void keyEnter();
    // The field's action: editing ended with Return.
    void activated();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void updateLayout();
    void textDidChange();
    // Turns typed key text into chips, keeping the caret where it was in the pattern text.
    void tokenize();
    void insertTokens(QTextCursor& cursor, const TQTokenObjectArray& tokens);
    TQTokenObjectArray tokensBetween(int from, int to) const;
    int documentPosition(qsizetype editingPosition) const;
    qsizetype editingPosition(int documentPosition) const;
    // The document position of the chip at `point` (viewport coordinates) when it has a menu and
    // the point is on its menu mark; -1 otherwise.
    int chipMenuMarkAt(const QPoint& point) const;
    void showChipMenu(int position);

    QToolButton* plusButton_;
    QToolButton* leftButton_ = nullptr;
    QMenu* plusButtonMenu_ = nullptr;
    bool settingObjects_ = false;
};
