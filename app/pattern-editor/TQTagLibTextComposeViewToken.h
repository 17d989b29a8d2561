#pragma once

// One token of the pattern editor: a key ("{{artist}}", drawn as a chip) or a run of literal text,
// wrapping a pattern token of its own. Token objects are shared (TQTokenObject): the token field,
// its menus and the arrays below hold the same object, so a digits choice made in a chip's menu is
// seen by every holder. Its class functions turn pattern text into arrays of token objects and
// back, build the menu of all tokens and render a pattern's sample text. Main thread only, except
// tokenArrayTable, which any thread may call.

#include "platform/tqkit/TQKitPattern.h"
#include "platform/tqkit/TQKitPatternToken.h"
#include "platform/tqkit/TQKitTokenTextSource.h"

#include <QList>
#include <QMetaType>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QWidget;
class TQTagLibTextComposeViewToken;
class TQTagLibTextComposeViewTokenField;

using TQTokenObject = std::shared_ptr<TQTagLibTextComposeViewToken>;
// The object value of the token field: token objects in order, one per key and per literal run.
using TQTokenObjectArray = QList<TQTokenObject>;

class TQTagLibTextComposeViewToken final : public std::enable_shared_from_this<TQTagLibTextComposeViewToken> {
public:
    enum class Style { Plain = 1, Rounded = 2 };

    // A token object owning a copy of `token`; null for a null token.
    static TQTokenObject tokenWithPtrCopy(const TQKitPatternToken* token);
    // The token typed text stands for: its first key, else its first token; null for no token.
    static TQTokenObject tokenWithString(const QString& text, bool trim = false);

    explicit TQTagLibTextComposeViewToken(std::unique_ptr<TQKitPatternToken> token);

    // A deep copy (its own pattern token).
    TQTokenObject copy() const;
    const TQKitPatternToken* patternToken() const { return token_.get(); }

    bool isKey() const;
    bool isKeyWithNumberFormatting() const;
    Style tokenStyle() const { return isKey() ? Style::Rounded : Style::Plain; }
    // What the chip shows; three blanks follow the text of a chip with a menu, room for its mark.
    QString textDisplay() const;
    // The token as pattern text: "{{artist}}", "{{trackNumber:3}}", or the literal text.
    QString textPattern() const;
    // A number key whose digits can be chosen among more than one.
    bool hasMenu() const;

    // The digits menu of a number key ("1", "02", "003" ...), the current digits checked; choosing
    // one changes this token and refreshes `field`. Null without a menu. Owned by the caller.
    std::unique_ptr<QMenu> menu(TQTagLibTextComposeViewTokenField* field);
    // Sets the digits (the tag of a digits item) and tells `field` to show the change.
    void chooseDigits(int digits, TQTagLibTextComposeViewTokenField* field);

    // The menu of all tokens: one item per key of the token table, carrying the key's token object
    // (TQTokenObjectOfItem), separators where the table has them. `chosen` receives the chosen
    // item. Owned by `parent`.
    static QMenu* menuMain(QWidget* parent, std::function<void(QAction*)> chosen);
    static TQTokenObject tokenObjectOfItem(const QAction* item);

    // The sample text of a pattern: what it names a file with the tags of `sampleObject`, and the
    // invented sample values for the keys it lacks. Empty for an empty pattern.
    static QString textSample(const TQTokenObjectArray& tokens, uint32_t patternFlags, uint32_t modFlags,
                              const TQKitTagValues* sampleObject = nullptr);
    // The same for pattern text; mod flags 0 keep the modifiers written in the text.
    static QString textSample(const QString& pattern, uint32_t patternFlags, uint32_t modFlags,
                              const TQKitTagValues* sampleObject = nullptr);

    // Token arrays.

    // One token object per key the menu of all tokens offers, with "-" literals for its
    // separators. Built once per process.
    static const TQTokenObjectArray& tokenArrayTable();
    // The tokens of pattern text; the modifiers written in it go to *modFlags when given.
    static TQTokenObjectArray tokenArrayWithString(const QString& text, uint32_t patternFlags = kTQKitPatternPlain,
                                                   uint32_t* modFlags = nullptr);
    // One token per editing position: each key and each character of literal text.
    static TQTokenObjectArray tokenArraySplit(const TQTokenObjectArray& tokens);
    // The canonical form: literal runs merged, typed "{{key}}" text turned into key tokens.
    static TQTokenObjectArray tokenArrayJoin(const TQTokenObjectArray& tokens);
    static QString tokenArrayPattern(const TQTokenObjectArray& tokens, uint32_t patternFlags = 0,
                                     uint32_t modFlags = 0);
    // New token objects for the tokens of `array`.
    static TQTokenObjectArray tokenArrayCopy(const TQKitTokenArray& array);
    // Appends copies of the tokens of `tokens` to `list` (null objects are skipped).
    static void tokenArrayCopyObjects(TQKitTokenList* list, const TQTokenObjectArray& tokens);

private:
    std::unique_ptr<TQKitPatternToken> token_;
};
Q_DECLARE_METATYPE(TQTokenObject)
