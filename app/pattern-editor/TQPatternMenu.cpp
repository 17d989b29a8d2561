#include "app/pattern-editor/TQPatternMenu.h"

#include "app/pattern-editor/TQTagLibTextComposeViewToken.h"
#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit-ui/TQKitAttributedString.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit/TQKitPattern.h"
#include "platform/tqkit/TQKitPatternRenderer.h"
#include "platform/tqkit/TQPatternList.h"

#include <QAction>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace {

// Colours of the key chips in pattern menus: dark text on light blue, readable in light and dark
// menus alike.
const QColor kChipText = QColor::fromRgbF(33 / 255.0, 38 / 255.0, 44 / 255.0);
const QColor kChipBackground = QColor::fromRgbF(169 / 255.0, 204 / 255.0, 249 / 255.0);

// Menus show keys by their display text ("Track Number").
class TQPatternMenuTextSource final : public TQKitTokenTextSource {
public:
    bool text(const TQKitPatternToken& token, std::string& out) const override
    {
        out = token.textDisplay();
        return true;
    }
};

// Builds a title from the tokens that rendering visits: keys as chips with a blank either side,
// literal text as it stands.
class TQPatternMenuTitleBuilder final : public TQKitTokenVisitor {
public:
    explicit TQPatternMenuTitleBuilder(const QFont& font) : font_(font) {}

    void visit(const std::string& text, const TQKitTokenInfo& info) override
    {
        const QString part = QString::fromStdString(text);
        if (info.flags & 1) {
            title_.append(u" "_s);
            title_.append(u" %1 "_s.arg(part), font_, kChipText, kChipBackground);
            title_.append(u" "_s);
        } else {
            title_.append(part, font_);
        }
    }

    TQKitAttributedString& title() { return title_; }

private:
    QFont font_;
    TQKitAttributedString title_;
};

QString patternOf(const QAction* item)
{
    const QVariant data = item->data();
    return data.typeId() == QMetaType::QString ? data.toString() : QString();
}

bool isPatternItem(const QAction* item) { return !patternOf(item).isEmpty(); }

} // namespace

QMenu* TQPatternMenuPopulate(QMenu* menu, const QStringList& patterns, uint32_t patternFlags)
{
    if (!menu)
        return nullptr;
    for (QAction* item : menu->actions()) {
        menu->removeAction(item);
        if (item->parent() == menu)
            item->deleteLater();
    }
    for (const QString& pattern : patterns) {
        if (QAction* item = TQPatternMenuItemForPattern(menu, nullptr, pattern, patternFlags))
            TQKitMenuAddItem(menu, std::unique_ptr<QAction>(item));
    }
    return menu;
}

QAction* TQPatternMenuItemForPattern(QMenu* menu, QAction* item, const QString& pattern, uint32_t patternFlags)
{
    if (pattern.isEmpty())
        return nullptr;
    const std::optional<TQKitAttributedString> title = TQPatternMenuAttributedTitle(menu, pattern, patternFlags);
    if (!title)
        return nullptr;
    if (menu) {
        TQKitMenuShowAttributedTitles(menu);
        menu->setToolTipsVisible(true);
    }
    if (!item)
        item = TQKitMakeMenuItem(title->plainText(), {}).release();
    TQKitMenuItemSetAttributedTitle(item, *title);
    item->setData(pattern);
    return item;
}

std::optional<TQKitAttributedString> TQPatternMenuAttributedTitle(const QMenu* menu, const QString& pattern,
                                                                  uint32_t patternFlags)
{
    if (!menu || pattern.isEmpty())
        return std::nullopt;
    TQKitTokenList list;
    if (!TQKitPatternParse(&list, pattern.toStdString(), patternFlags) || list.empty())
        return std::nullopt;
    TQPatternMenuTitleBuilder builder(menu->font());
    TQKitTokenListRender(builder, TQPatternMenuTextSource(), list, patternFlags | kTQKitPatternDisplayKeys);
    if (builder.title().isEmpty())
        return std::nullopt;
    if (const std::string modifiers = list.displayText(); !modifiers.empty())
        builder.title().append(u" (%1)"_s.arg(QString::fromStdString(modifiers)));
    return builder.title();
}

void TQPatternMenuSetToolTips(QMenu* menu, const QString& label, uint32_t patternFlags, uint32_t modFlags)
{
    if (!menu)
        return;
    const QString shownLabel = label.isEmpty() ? u"Example"_s : label;
    for (QAction* item : menu->actions()) {
        const QString pattern = patternOf(item);
        if (pattern.isEmpty())
            continue;
        const QString sample = TQTagLibTextComposeViewToken::textSample(pattern, patternFlags, modFlags);
        if (!sample.isEmpty())
            TQKitSetAccessibilityHelp(item, u"%1:\n\n%2"_s.arg(shownLabel, sample));
    }
}

QStringList TQPatternMenuPatterns(const QMenu* menu)
{
    QStringList patterns;
    if (!menu)
        return patterns;
    for (const QAction* item : menu->actions()) {
        if (!isPatternItem(item))
            break;
        patterns.append(patternOf(item));
    }
    return patterns;
}

void TQPatternMenuCollect(const QMenu* menu, const QString& section, const QString& key)
{
    TQPatternList patterns;
    for (const QString& pattern : TQPatternMenuPatterns(menu))
        patterns.push_back(pattern.toStdString());
    TQPatternListSave(section.toStdString(), key.toStdString(), patterns);
}

qsizetype TQPatternMenuFindExact(const QMenu* menu, const QString& pattern)
{
    if (!menu || pattern.isEmpty())
        return -1;
    const QList<QAction*> items = menu->actions();
    for (qsizetype index = 0; index < items.size(); ++index) {
        const QString candidate = patternOf(items[index]);
        if (!candidate.isEmpty() && candidate.compare(pattern, Qt::CaseInsensitive) == 0)
            return index;
    }
    return -1;
}

qsizetype TQPatternMenuFind(const QMenu* menu, const QString& pattern)
{
    if (const qsizetype exact = TQPatternMenuFindExact(menu, pattern); exact >= 0 || !menu || pattern.isEmpty())
        return exact;
    const QList<QAction*> items = menu->actions();
    for (qsizetype index = 0; index < items.size(); ++index) {
        if (patternOf(items[index]).contains(pattern, Qt::CaseInsensitive))
            return index;
    }
    return -1;
}

qsizetype TQPatternMenuLastPatternIndex(const QMenu* menu)
{
    return TQPatternMenuPatterns(menu).size() - 1;
}

QString TQPatternMenuPatternAt(const QMenu* menu, qsizetype index)
{
    if (!menu || index < 0 || index >= menu->actions().size())
        return {};
    const QVariant data = menu->actions()[index]->data();
    return data.typeId() == QMetaType::QString ? data.toString() : QString();
}

qsizetype TQPatternMenuInsert(QMenu* menu, const QString& pattern, uint32_t patternFlags)
{
    if (!menu || pattern.isEmpty())
        return -1;
    if (const qsizetype existing = TQPatternMenuFindExact(menu, pattern); existing >= 0)
        return existing;
    // Directly behind the leading run, also when the run is short or empty: a new pattern is
    // never dropped.
    const qsizetype at = TQPatternMenuLastPatternIndex(menu) + 1;
    QAction* item = TQPatternMenuItemForPattern(menu, nullptr, pattern, patternFlags);
    if (!item)
        return -1;
    item->setParent(menu);
    const QList<QAction*> items = menu->actions();
    menu->insertAction(at < items.size() ? items[at] : nullptr, item);
    return at;
}

void TQPatternMenuUpdateAt(QMenu* menu, qsizetype index, const QString& pattern, uint32_t patternFlags)
{
    if (!menu || index < 0 || index >= menu->actions().size() || !isPatternItem(menu->actions()[index]))
        return;
    TQPatternMenuItemForPattern(menu, menu->actions()[index], pattern, patternFlags);
}
