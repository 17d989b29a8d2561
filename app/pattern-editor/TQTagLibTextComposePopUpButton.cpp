#include "app/pattern-editor/TQTagLibTextComposePopUpButton.h"

#include "app/pattern-editor/TQPatternMenu.h"
#include "app/pattern-editor/TQTagLibTextComposePopUpButtonPanel.h"
#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit-ui/TQKitAssociatedObject.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit/TQKitPattern.h"
#include "platform/tqkit/TQPatternList.h"

#include <QMenu>
#include <QPushButton>
#include <QWidgetAction>

using namespace Qt::StringLiterals;

namespace {

constexpr char kAssociationKey[] = "TQTagLibTextComposePopUpButton";
constexpr auto kBoxDelay = std::chrono::milliseconds(300);

struct ActionCommand {
    QString title;
    QByteArray action;
    QString help;
    void (TQTagLibTextComposePopUpButton::*perform)();
};

const QList<ActionCommand>& actionCommands()
{
    static const QList<ActionCommand> commands = {
        {u"New..."_s, "menuActionNewPattern:", u"Create a new pattern"_s,
         &TQTagLibTextComposePopUpButton::menuActionNewPattern},
        {u"Edit..."_s, "menuActionEditPattern:", u"Edit and change the selected pattern"_s,
         &TQTagLibTextComposePopUpButton::menuActionEditPattern},
        {u"Reset"_s, "menuActionResetList:", u"Reset the list of patterns"_s,
         &TQTagLibTextComposePopUpButton::menuActionResetList},
    };
    return commands;
}

QStringList toStrings(const std::optional<TQPatternList>& list)
{
    QStringList patterns;
    if (list) {
        for (const std::string& pattern : *list)
            patterns.append(QString::fromStdString(pattern));
    }
    return patterns;
}

} // namespace

TQTagLibTextComposePopUpButton::TQTagLibTextComposePopUpButton(TQKitPopUpButton* button, int type,
                                                               const QString& section, const QString& setting)
    : button_(button), type_(type), section_(section), setting_(setting)
{
    connect(menu(), &QMenu::aboutToShow, this, &TQTagLibTextComposePopUpButton::menuActionWillOpen);
    connect(menu(), &QMenu::aboutToHide, this, &TQTagLibTextComposePopUpButton::menuActionDidClose);
    menuPopulate();
    selectIndex(0);
}

TQTagLibTextComposePopUpButton::~TQTagLibTextComposePopUpButton() = default;

QMenu* TQTagLibTextComposePopUpButton::menu() const { return button_ ? button_->menu() : nullptr; }

uint32_t TQTagLibTextComposePopUpButton::patternFlags() const
{
    switch (type_) {
    case kFolders:
        return kTQKitPatternFlagsFolders;
    case kFileNames:
        return kTQKitPatternFlagsFileName;
    default:
        return kTQKitPatternPlain;
    }
}

QString TQTagLibTextComposePopUpButton::text(const char* key, const QString& fallback) const
{
    const QString value = msgDict_.value(QString::fromLatin1(key)).toString();
    return value.isEmpty() ? fallback : value;
}

void TQTagLibTextComposePopUpButton::menuPopulate()
{
    const std::optional<TQPatternList> list =
        TQPatternListDefaultsLoad(section_.toStdString(), setting_.toStdString(), true, patternFlags());
    if (QMenu* patterns = TQPatternMenuPopulate(menu(), toStrings(list), patternFlags()))
        TQKitMenuAddSeparator(patterns);
}

QString TQTagLibTextComposePopUpButton::patternSelected() const
{
    return button_ ? TQPatternMenuPatternAt(menu(), button_->indexOfSelectedItem()) : QString();
}

void TQTagLibTextComposePopUpButton::selectIndex(qsizetype index)
{
    if (!button_)
        return;
    button_->selectItemAtIndex(static_cast<int>(qMax<qsizetype>(index, 0)));
    menuWillOpenSelectedItemIndex_ = qMax(button_->indexOfSelectedItem(), 0);
}

void TQTagLibTextComposePopUpButton::setPatternSelected(const QString& pattern)
{
    // The owner's stored pattern is shown as it is: one that the list lacks (a list edited since,
    // or reset) is added rather than replaced by a pattern that merely contains it.
    qsizetype index = TQPatternMenuFindExact(menu(), pattern);
    if (index < 0)
        index = TQPatternMenuInsert(menu(), pattern, patternFlags());
    selectIndex(index);
}

void TQTagLibTextComposePopUpButton::patternsReset()
{
    const QString selected = patternSelected();
    TQPatternListClear(section_.toStdString(), setting_.toStdString());
    menuPopulate();
    selectIndex(TQPatternMenuFind(menu(), selected));
    TQPatternMenuCollect(menu(), section_, setting_);
}

int TQTagLibTextComposePopUpButton::menuItemActionTag() const
{
    return (TQKitAccessibilityModeFlags() & 3) ? kActionsItemTag : kActionsPanelTag;
}

QAction* TQTagLibTextComposePopUpButton::menuItemActionWithTag(int tag, int width)
{
    if (tag == kActionsItemTag) {
        QAction* item = TQKitMakeMenuItem(u"Actions"_s, {}).release();
        TQKitMenuItemSetTag(item, tag);
        auto* submenu = new QMenu(menu());
        for (const ActionCommand& command : actionCommands()) {
            std::unique_ptr<QAction> commandItem = TQKitMakeMenuItem(command.title, command.action);
            TQKitSetAccessibilityHelp(commandItem.get(), command.help);
            connect(commandItem.get(), &QAction::triggered, this, command.perform);
            TQKitMenuAddItem(submenu, std::move(commandItem));
        }
        submenu->setToolTipsVisible(true);
        item->setMenu(submenu);
        return item;
    }

    auto* panel = new TQTagLibTextComposePopUpButtonPanel;
    QFont small = panel->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    int height = 20;
    for (const ActionCommand& command : actionCommands()) {
        auto* button = new QPushButton(command.title, panel);
        button->setObjectName(QString::fromLatin1(command.action));
        button->setFont(small);
        button->setFocusPolicy(Qt::NoFocus);
        TQKitSetAccessibilityHelp(button, command.help);
        TQKitSetAccessibilityLabel(button, command.title);
        connect(button, &QPushButton::clicked, this, command.perform);
        const QSize hint = button->sizeHint();
        button->resize(qMax(60, hint.width()), qMax(20, hint.height()));
        height = qMax(height, button->height());
        panel->addSubview(button);
    }
    panel->resize(qMax(qMax(width, 200), panel->sizeHint().width()), height + 8);
    panel->setMinimumSize(panel->size());
    auto* item = new QWidgetAction(nullptr);
    item->setDefaultWidget(panel);
    TQKitMenuItemSetTag(item, tag);
    return item;
}

void TQTagLibTextComposePopUpButton::menuActionWillOpen()
{
    QMenu* patterns = menu();
    if (!patterns || !button_)
        return;
    menuWillOpenSelectedItemIndex_ = qMax(button_->indexOfSelectedItem(), 0);
    TQPatternMenuSetToolTips(patterns, text("TQPBMenuToolTip", u"Example"_s), patternFlags(), 0);
    const int tag = menuItemActionTag();
    if (TQKitMenuItemWithTag(patterns, tag))
        return;
    for (const int old : {int(kActionsItemTag), int(kActionsPanelTag)}) {
        if (QAction* item = TQKitMenuItemWithTag(patterns, old)) {
            patterns->removeAction(item);
            item->deleteLater();
        }
    }
    QAction* entry = menuItemActionWithTag(tag, qMax(patterns->sizeHint().width(), button_->width()));
    entry->setParent(patterns);
    patterns->addAction(entry);
}

void TQTagLibTextComposePopUpButton::menuActionDidClose()
{
    if (!button_ || !TQPatternMenuPatternAt(menu(), button_->indexOfSelectedItem()).isNull())
        return;
    button_->selectItemAtIndex(static_cast<int>(qMax<qsizetype>(menuWillOpenSelectedItemIndex_, 0)));
}

void TQTagLibTextComposePopUpButton::menuActionNewPattern() { openBox(BoxKind::New); }

void TQTagLibTextComposePopUpButton::menuActionEditPattern() { openBox(BoxKind::Edit); }

void TQTagLibTextComposePopUpButton::openBox(BoxKind kind)
{
    if (QMenu* patterns = menu())
        patterns->hide();
    const QString current = TQPatternMenuPatternAt(menu(), menuWillOpenSelectedItemIndex_);
    if (current.isEmpty())
        return;
    // The box opens once the menu has closed.
    delayedCalls_.perform(kBoxDelay, [this, kind, current] {
        if (!button_)
            return;
        const bool isNew = kind == BoxKind::New;
        const QString title = isNew ? text("TQPBCVNewTitle", u"New Pattern"_s) : text("TQPBCVEditTitle", u"Edit Pattern"_s);
        const QString message = text(isNew ? "TQPBCVNewMessage" : "TQPBCVEditMessage");
        TQPatternBoxShowAlert(current, patternFlags(), button_->window(), title, message, msgDict_,
                              [self = QPointer(this), kind](const std::optional<QString>& pattern) {
                                  if (self)
                                      self->boxAnswered(kind, pattern);
                              });
    });
}

void TQTagLibTextComposePopUpButton::boxAnswered(BoxKind kind, const std::optional<QString>& pattern)
{
    if (!button_ || !pattern || pattern->isEmpty())
        return;
    if (kind == BoxKind::New) {
        if (const qsizetype index = TQPatternMenuInsert(menu(), *pattern, patternFlags()); index >= 0)
            selectIndex(index);
    } else {
        TQPatternMenuUpdateAt(menu(), menuWillOpenSelectedItemIndex_, *pattern, patternFlags());
    }
    TQPatternMenuCollect(menu(), section_, setting_);
    button_->sendAction();
}

void TQTagLibTextComposePopUpButton::menuActionResetList()
{
    if (QMenu* patterns = menu())
        patterns->hide();
    patternsReset();
    if (button_)
        button_->sendAction();
}

TQTagLibTextComposePopUpButton* TQPatternPopUpController(TQKitPopUpButton* button)
{
    return TQKitGetAssociatedObject<TQTagLibTextComposePopUpButton>(button, kAssociationKey);
}

void TQPatternPopUpAttach(TQKitPopUpButton* button, const char* section, const char* key, unsigned type)
{
    if (!button || TQPatternPopUpController(button))
        return;
    auto* controller = new TQTagLibTextComposePopUpButton(button, static_cast<int>(type), QString::fromUtf8(section),
                                                          QString::fromUtf8(key));
    TQKitSetAssociatedObject(button, kAssociationKey, controller, true);
}

const char* TQPatternPopUpCopySelected(std::string& out, TQKitPopUpButton* button)
{
    out.clear();
    if (const TQTagLibTextComposePopUpButton* controller = TQPatternPopUpController(button))
        out = controller->patternSelected().toStdString();
    return out.c_str();
}

void TQPatternPopUpSetSelected(TQKitPopUpButton* button, const char* pattern)
{
    if (TQTagLibTextComposePopUpButton* controller = TQPatternPopUpController(button))
        controller->setPatternSelected(QString::fromUtf8(pattern ? pattern : ""));
}

void TQPatternPopUpReset(TQKitPopUpButton* button)
{
    if (TQTagLibTextComposePopUpButton* controller = TQPatternPopUpController(button))
        controller->patternsReset();
}

void TQPatternPopUpSetMessages(TQKitPopUpButton* button, const QVariantMap& texts)
{
    if (TQTagLibTextComposePopUpButton* controller = TQPatternPopUpController(button))
        controller->setMsgDict(texts);
}
