#include "app/pattern-editor/TQTagLibTextComposeViewTokenField.h"

#include "app/pattern-editor/TQTagLibTextComposeViewTokenChip.h"
#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit-ui/TQKitMenu.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int kIconSize = 12;
// Tab-separated text, what the field writes beside plain text for tables and spreadsheets.
constexpr auto kTabularTextType = "text/tab-separated-values";

enum class ButtonImage { Plus, List };

// The button images, drawn in the palette's text colour like template images.
QIcon buttonIcon(ButtonImage image, const QPalette& palette)
{
    QIcon icon;
    for (const auto mode : {QIcon::Normal, QIcon::Disabled}) {
        const qreal ratio = 2;
        QPixmap pixmap(QSize(kIconSize, kIconSize) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette.color(mode == QIcon::Normal ? QPalette::Active : QPalette::Disabled,
                                          QPalette::WindowText),
                            1.5, Qt::SolidLine, Qt::RoundCap));
        if (image == ButtonImage::Plus) {
            painter.drawLine(QPointF(6, 2), QPointF(6, 10));
            painter.drawLine(QPointF(2, 6), QPointF(10, 6));
        } else {
            for (const qreal y : {3.0, 6.0, 9.0}) {
                painter.drawPoint(QPointF(2, y));
                painter.drawLine(QPointF(4.5, y), QPointF(10.5, y));
            }
        }
        painter.end();
        icon.addPixmap(pixmap, mode);
    }
    return icon;
}

QToolButton* makeButton(QWidget* parent, ButtonImage image, const QString& identifier, int padding)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(identifier);
    button->setIcon(buttonIcon(image, parent->palette()));
    button->setIconSize(QSize(kIconSize, kIconSize));
    button->setFixedSize(kIconSize + 2 * padding + 2, kIconSize + 2 * padding + 2);
    button->setAutoRaise(true); // a border only while the mouse is inside
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::ArrowCursor);
    return button;
}

// Characters that end a token instead of becoming literal text: line breaks, tabs and other
// control characters.
QString withoutTokenizingCharacters(QString text)
{
    text.removeIf([](QChar c) {
        return c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
    });
    return text;
}

} // namespace

TQTagLibTextComposeViewTokenField::TQTagLibTextComposeViewTokenField(QWidget* parent)
    : QTextEdit(parent), plusButton_(makeButton(this, ButtonImage::Plus, u"plusButton"_s, 2))
{
    setAcceptRichText(false);
    setTabChangesFocus(true);
    setLineWrapMode(QTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    document()->documentLayout()->registerHandler(
        TQTagLibTextComposeViewTokenChip::kObjectType,
        new TQTagLibTextComposeViewTokenChip(this, [this](int position) {
            const QTextCursor cursor = textCursor();
            return cursor.hasSelection() && position >= cursor.selectionStart() && position < cursor.selectionEnd();
        }));

    connect(plusButton_, &QToolButton::clicked, this, &TQTagLibTextComposeViewTokenField::plusButtonAction);
    TQKitSetAccessibilityLabel(plusButton_, u"Add New Component"_s);
    TQKitSetAccessibilityHelp(plusButton_, u"Press this button or ⇧+⏎ to add a new component"_s);
    TQKitSetAccessibilityHelp(this, u"Press the + button inside the text field or ⇧⏎ keys to add new components. "
                                    "Drag & Drop or Copy & Paste to rearrange. Type the text to insert the separators. "_s);

    connect(this, &QTextEdit::textChanged, this, &TQTagLibTextComposeViewTokenField::textDidChange);
    // Text typed after a chip must not take the chip's format.
    connect(this, &QTextEdit::currentCharFormatChanged, this, [this](const QTextCharFormat& format) {
        if (format.objectType() != QTextFormat::NoObject && !textCursor().hasSelection())
            setCurrentCharFormat(QTextCharFormat());
    });
    updateLayout();
}

TQTagLibTextComposeViewTokenField::~TQTagLibTextComposeViewTokenField() = default;

TQTokenObjectArray TQTagLibTextComposeViewTokenField::objectValue() const
{
    return tokensBetween(0, document()->characterCount() - 1);
}

void TQTagLibTextComposeViewTokenField::setObjectValue(const TQTokenObjectArray& tokens)
{
    const QScopedValueRollback guard(settingObjects_, true);
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    insertTokens(cursor, tokens);
    setTextCursor(cursor);
}

void TQTagLibTextComposeViewTokenField::insertTokens(QTextCursor& cursor, const TQTokenObjectArray& tokens)
{
    for (const TQTokenObject& token : tokens) {
        if (!token)
            continue;
        if (token->isKey())
            cursor.insertText(QString(QChar::ObjectReplacementCharacter), TQTagLibTextComposeViewTokenChip::formatFor(token));
        else
            cursor.insertText(withoutTokenizingCharacters(token->textPattern()), QTextCharFormat());
    }
}

TQTokenObjectArray TQTagLibTextComposeViewTokenField::tokensBetween(int from, int to) const
{
    TQTokenObjectArray tokens;
    QString literal;
    const auto flushLiteral = [&] {
        if (!literal.isEmpty())
            tokens.append(std::make_shared<TQTagLibTextComposeViewToken>(TQKitPatternToken::makeLiteral(literal.toStdString())));
        literal.clear();
    };
    for (auto fragment = document()->begin().begin(); !fragment.atEnd(); ++fragment) {
        const QTextFragment part = fragment.fragment();
        const int start = qMax(from, part.position());
        const int end = qMin(to, part.position() + part.length());
        if (start >= end)
            continue;
        const TQTokenObject token = TQTagLibTextComposeViewTokenChip::tokenOf(part.charFormat());
        for (const QChar c : part.text().mid(start - part.position(), end - start)) {
            if (c != QChar::ObjectReplacementCharacter) {
                literal += c;
            } else if (token) {
                flushLiteral();
                tokens.append(token);
            }
        }
    }
    flushLiteral();
    return tokens;
}

qsizetype TQTagLibTextComposeViewTokenField::editingPosition(int documentPosition) const
{
    const QString text = document()->toPlainText();
    qsizetype position = 0;
    for (int i = 0; i < documentPosition && i < text.size(); ++i) {
        if (!text[i].isLowSurrogate())
            ++position;
    }
    return position;
}

int TQTagLibTextComposeViewTokenField::documentPosition(qsizetype editingPosition) const
{
    const QString text = document()->toPlainText();
    int i = 0;
    for (qsizetype position = 0; position < editingPosition && i < text.size(); ++position)
        i += text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    return i;
}

TQTagLibTextComposeViewTokenField::Range TQTagLibTextComposeViewTokenField::selectedRange() const
{
    const QTextCursor cursor = textCursor();
    const qsizetype start = editingPosition(cursor.selectionStart());
    return {start, editingPosition(cursor.selectionEnd()) - start};
}

void TQTagLibTextComposeViewTokenField::setSelectedRange(Range range)
{
    QTextCursor cursor(document());
    cursor.setPosition(documentPosition(range.location));
    if (range.length > 0)
        cursor.setPosition(documentPosition(range.location + range.length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void TQTagLibTextComposeViewTokenField::startEditing()
{
    setFocus(Qt::OtherFocusReason);
    moveCursor(QTextCursor::End);
}

void TQTagLibTextComposeViewTokenField::tokenInsert(const TQTokenObject& token)
{
    if (!token)
        return;
    const Range previous = selectedRange();
    TQTokenObjectArray split = TQTagLibTextComposeViewToken::tokenArraySplit(objectValue());
    const qsizetype at = qMax<qsizetype>(previous.location, 0);
    if (at < split.size())
        split.insert(at, token);
    else
        split.append(token);
    setObjectValue(TQTagLibTextComposeViewToken::tokenArrayJoin(split));
    setSelectedRange(previous.length < 1 ? Range{at + 1, 0} : previous);
    ensureCursorVisible();
    Q_EMIT patternDidChange();
}

void TQTagLibTextComposeViewTokenField::tokenRefreshed()
{
    const Range selection = selectedRange();
    setObjectValue(objectValue());
    setSelectedRange(selection);
    Q_EMIT patternDidChange();
}

QMenu* TQTagLibTextComposeViewTokenField::plusButtonMenu()
{
    if (!plusButtonMenu_) {
        plusButtonMenu_ = TQTagLibTextComposeViewToken::menuMain(this, [this](QAction* item) {
            if (const TQTokenObject token = TQTagLibTextComposeViewToken::tokenObjectOfItem(item))
                tokenInsert(token->copy());
        });
    }
    return plusButtonMenu_;
}

void TQTagLibTextComposeViewTokenField::plusButtonAction()
{
    TQKitPopUpMenu(plusButtonMenu(), plusButton_, QPoint(0, 5));
}

void TQTagLibTextComposeViewTokenField::setShowsLeftButton(bool shows)
{
    if (shows == showsLeftButton())
        return;
    if (shows) {
        leftButton_ = makeButton(this, ButtonImage::List, u"leftButton"_s, 1);
        leftButton_->show();
    } else {
        delete leftButton_;
        leftButton_ = nullptr;
    }
    updateLayout();
}

void TQTagLibTextComposeViewTokenField::updateLayout()
{
    // The buttons sit inside the frame; the text keeps clear of them.
    const QSize plus = plusButton_->size();
    plusButton_->move(width() - plus.width() - 2, (height() - plus.height()) / 2);
    int left = 0;
    if (leftButton_) {
        leftButton_->move(2, (height() - leftButton_->height()) / 2);
        left = leftButton_->width() + 2;
    }
    setViewportMargins(left, 0, plus.width() + 4, 0);
    // The one line stands in the middle of the field.
    const int lineHeight = QFontMetrics(font()).height() + 2;
    document()->setDocumentMargin(qMax(1, (viewport()->height() - lineHeight) / 2));
}

QSize TQTagLibTextComposeViewTokenField::sizeHint() const
{
    const int lineHeight = QFontMetrics(font()).height() + 2;
    const int height = qMax(lineHeight + 8, plusButton_->height() + 4) + 2 * frameWidth();
    return {QFontMetrics(font()).averageCharWidth() * 40, height};
}

QSize TQTagLibTextComposeViewTokenField::minimumSizeHint() const
{
    return {plusButton_->width() * 4, sizeHint().height()};
}

void TQTagLibTextComposeViewTokenField::resizeEvent(QResizeEvent* event)
{
    QTextEdit::resizeEvent(event);
    updateLayout();
}

void TQTagLibTextComposeViewTokenField::changeEvent(QEvent* event)
{
    QTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        plusButton_->setIcon(buttonIcon(ButtonImage::Plus, palette()));
        if (leftButton_)
            leftButton_->setIcon(buttonIcon(ButtonImage::List, palette()));
    }
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        updateLayout();
    }
}

void TQTagLibTextComposeViewTokenField::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
            plusButtonAction();
            event->accept();
            return;
        }
        Q_EMIT keyEnter();
        tokenize();
        Q_EMIT activated();
        // Return goes on to the window, where it presses the default button of a box.
        event->ignore();
        return;
    }
    if (!event->text().isEmpty() && event->text().front().isPrint() && textCursor().hasSelection()) {
        // Typed text replaces the selection in plain format, never in the format of a chip.
        QTextCursor cursor = textCursor();
        cursor.removeSelectedText();
        cursor.setCharFormat(QTextCharFormat());
        setTextCursor(cursor);
    }
    QTextEdit::keyPressEvent(event);
    if (event->text().endsWith(u'}'))
        tokenize();
}

void TQTagLibTextComposeViewTokenField::focusOutEvent(QFocusEvent* event)
{
    tokenize();
    QTextEdit::focusOutEvent(event);
}

void TQTagLibTextComposeViewTokenField::textDidChange()
{
    if (!settingObjects_)
        Q_EMIT patternDidChange();
}

void TQTagLibTextComposeViewTokenField::tokenize()
{
    const TQTokenObjectArray tokens = objectValue();
    const TQTokenObjectArray joined = TQTagLibTextComposeViewToken::tokenArrayJoin(tokens);
    const auto keyCount = [](const TQTokenObjectArray& array) {
        return std::count_if(array.begin(), array.end(), [](const TQTokenObject& token) { return token->isKey(); });
    };
    // Nothing typed to turn into a chip; and text that joining would drop (a modifier directive
    // typed by hand) is left as the person typed it.
    const QString pattern = TQTagLibTextComposeViewToken::tokenArrayPattern(tokens);
    if (keyCount(joined) == keyCount(tokens) || TQTagLibTextComposeViewToken::tokenArrayPattern(joined) != pattern)
        return;

    const qsizetype caret = selectedRange().location + selectedRange().length;
    const TQTokenObjectArray split = TQTagLibTextComposeViewToken::tokenArraySplit(tokens);
    const qsizetype caretInPattern =
        TQTagLibTextComposeViewToken::tokenArrayPattern(split.mid(0, caret)).size();
    setObjectValue(joined);
    qsizetype position = 0;
    qsizetype length = 0;
    for (const TQTokenObject& token : TQTagLibTextComposeViewToken::tokenArraySplit(joined)) {
        if (length >= caretInPattern)
            break;
        length += token->textPattern().size();
        ++position;
    }
    setSelectedRange({position, 0});
}

QMimeData* TQTagLibTextComposeViewTokenField::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    const QString pattern = TQTagLibTextComposeViewToken::tokenArrayPattern(
        tokensBetween(cursor.selectionStart(), cursor.selectionEnd()));
    auto* data = new QMimeData;
    data->setText(pattern);
    data->setData(QString::fromLatin1(kTabularTextType), pattern.toUtf8());
    return data;
}

bool TQTagLibTextComposeViewTokenField::canInsertFromMimeData(const QMimeData* source) const
{
    return source && source->hasText();
}

void TQTagLibTextComposeViewTokenField::insertFromMimeData(const QMimeData* source)
{
    const QString text = source ? source->text() : QString();
    if (text.isEmpty())
        return;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertTokens(cursor, TQTagLibTextComposeViewToken::tokenArrayWithString(text));
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

int TQTagLibTextComposeViewTokenField::chipMenuMarkAt(const QPoint& point) const
{
    const QString text = document()->toPlainText();
    for (int position = 0; position < text.size(); ++position) {
        if (text[position] != QChar::ObjectReplacementCharacter)
            continue;
        QTextCursor cursor(document());
        cursor.setPosition(position + 1);
        const TQTokenObject token = TQTagLibTextComposeViewTokenChip::tokenOf(cursor.charFormat());
        if (!token || !token->hasMenu())
            continue;
        cursor.setPosition(position);
        const QRect caret = cursorRect(cursor);
        const QSizeF size = TQTagLibTextComposeViewTokenChip::chipSize(*token, document()->defaultFont());
        const int right = caret.left() + qRound(size.width());
        if (point.x() >= right - TQTagLibTextComposeViewTokenChip::kMenuMarkWidth - 2 && point.x() <= right &&
            point.y() >= caret.top() && point.y() <= caret.bottom())
            return position;
    }
    return -1;
}

void TQTagLibTextComposeViewTokenField::showChipMenu(int position)
{
    QTextCursor cursor(document());
    cursor.setPosition(position + 1);
    const TQTokenObject token = TQTagLibTextComposeViewTokenChip::tokenOf(cursor.charFormat());
    std::unique_ptr<QMenu> menu = token ? token->menu(this) : nullptr;
    if (!menu)
        return;
    cursor.setPosition(position);
    QMenu* shown = menu.release();
    shown->setParent(this, shown->windowFlags());
    connect(shown, &QMenu::aboutToHide, shown, &QObject::deleteLater);
    shown->popup(viewport()->mapToGlobal(cursorRect(cursor).bottomLeft() + QPoint(0, 2)));
}

void TQTagLibTextComposeViewTokenField::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (const int chip = chipMenuMarkAt(event->position().toPoint()); chip >= 0) {
            showChipMenu(chip);
            event->accept();
            return;
        }
    }
    QTextEdit::mousePressEvent(event);
}
