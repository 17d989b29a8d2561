#pragma once

// Pattern menus: menus whose leading items stand for patterns. A pattern item carries its pattern
// as data (a non-empty string) and shows it as an attributed title in which every key is a coloured
// chip ("Artist" - "Title"). The leading run is the items from the top up to the first item
// without a pattern (a separator, an actions entry); collecting, inserting and counting look only
// at it. Main thread only; menus are changed while closed or from their own will-open handlers.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class QAction;
class QMenu;
struct TQKitAttributedString;

// Replaces the items of `menu` with one pattern item per non-empty pattern of `patterns`; an empty
// entry gives no item (and so never ends the leading run). Returns the menu.
QMenu* TQPatternMenuPopulate(QMenu* menu, const QStringList& patterns, uint32_t patternFlags);
// Gives `item` (or a new item, owned by the caller until added to a menu, when null) the title and
// data of `pattern`; null for an empty pattern.
QAction* TQPatternMenuItemForPattern(QMenu* menu, QAction* item, const QString& pattern, uint32_t patternFlags);
// The chip title of `pattern` in the menu's font, followed by " (Lower case)" when the pattern
// carries modifiers; none for an empty pattern.
std::optional<TQKitAttributedString> TQPatternMenuAttributedTitle(const QMenu* menu, const QString& pattern,
                                                                  uint32_t patternFlags);
// Gives every pattern item the help text "<label>:\n\n<sample>" ("Example" without a label).
void TQPatternMenuSetToolTips(QMenu* menu, const QString& label, uint32_t patternFlags, uint32_t modFlags);
// Stores the patterns of the leading run under `section` and `key`; an empty run stores nothing.
void TQPatternMenuCollect(const QMenu* menu, const QString& section, const QString& key);
// The patterns of the leading run.
QStringList TQPatternMenuPatterns(const QMenu* menu);

// The index of the item whose pattern equals `pattern` ignoring case, else of the first whose
// pattern contains it ignoring case; -1 when none.
qsizetype TQPatternMenuFind(const QMenu* menu, const QString& pattern);
// The index of the item whose pattern equals `pattern` ignoring case; -1 when none.
qsizetype TQPatternMenuFindExact(const QMenu* menu, const QString& pattern);
// The index of the last item of the leading run; -1 when the run is empty.
qsizetype TQPatternMenuLastPatternIndex(const QMenu* menu);
// The pattern of the item at `index`; a null string when there is none.
QString TQPatternMenuPatternAt(const QMenu* menu, qsizetype index);
// Adds `pattern` at the end of the leading run and returns its index; a pattern already there
// (ignoring case) is not added again, its index is returned. -1 for an empty pattern.
qsizetype TQPatternMenuInsert(QMenu* menu, const QString& pattern, uint32_t patternFlags);
// Gives the item at `index` the title and data of `pattern`.
void TQPatternMenuUpdateAt(QMenu* menu, qsizetype index, const QString& pattern, uint32_t patternFlags);
