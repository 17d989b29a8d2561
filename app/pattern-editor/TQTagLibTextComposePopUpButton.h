#pragma once

// Turns a pop-up button into a chooser of tag patterns. Its menu lists the patterns of one stored
// pattern list as chip titles, then a separator and an actions entry with "New...", "Edit..." and
// "Reset". New and Edit open the pattern box with the selected pattern; the result is added to the
// menu or replaces the edited item, the list is stored again and the button sends its action
// (activated), so that the owner saves its settings. Reset returns to the built-in list.
//
// The controller is attached to its button and lives as long as it; owners reach it only through
// the TQPatternPopUp* functions below. Main thread only.

#include "app/pattern-editor/TQPatternBox.h"
#include "platform/tqkit-ui/TQKitDelayedCalls.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"

#include <QObject>
#include <QPointer>
#include <QVariantMap>

#include <cstdint>
#include <string>

class QAction;
class QMenu;

class TQTagLibTextComposePopUpButton final : public QObject {
    Q_OBJECT

public:
    // Button types.
    enum Type { kFileNames = 1, kFolders = 2 };
    // Tags of the actions entry: a plain item with a submenu (while an assistive technology is in
    // use), or a row of buttons.
    enum ActionTag { kActionsItemTag = 20000, kActionsPanelTag = 20001 };

    // Fills the button's menu from the list stored under `section` and `setting` (or the built-in
    // list of the type) and selects the first pattern.
    TQTagLibTextComposePopUpButton(TQKitPopUpButton* button, int type, const QString& section, const QString& setting);
    ~TQTagLibTextComposePopUpButton() override;

    TQKitPopUpButton* button() const { return button_; }
    QMenu* menu() const;
    int type() const { return type_; }
    const QString& section() const { return section_; }
    const QString& setting() const { return setting_; }
    // 209 for folders, 105 for file names, 1 for any other type.
    uint32_t patternFlags() const;

    const QVariantMap& msgDict() const { return msgDict_; }
    void setMsgDict(const QVariantMap& msgDict) { msgDict_ = msgDict; }

    // The selected pattern; a null string when none is selected.
    QString patternSelected() const;
    // Selects `pattern`; a pattern missing from the menu is added to it and selected.
    void setPatternSelected(const QString& pattern);
    // Clears the stored list and shows the built-in list, keeping the selected pattern when the
    // built-in list holds it, else the first item containing it, else the first item.
    void patternsReset();

    void menuPopulate();
    int menuItemActionTag() const;
    // The actions entry for `tag`; for the button row `width` is the menu's width (at least 200).
    QAction* menuItemActionWithTag(int tag, int width);

    void menuActionWillOpen();
    void menuActionDidClose();
    void menuActionNewPattern();
    void menuActionEditPattern();
    void menuActionResetList();

private:
    enum class BoxKind { New, Edit };
    void openBox(BoxKind kind);
    void boxAnswered(BoxKind kind, const std::optional<QString>& pattern);
    // Selects the item at `index` and remembers it as the selection to return to.
    void selectIndex(qsizetype index);
    QString text(const char* key, const QString& fallback = {}) const;

    QPointer<TQKitPopUpButton> button_;
    qsizetype menuWillOpenSelectedItemIndex_ = 0;
    int type_;
    QVariantMap msgDict_;
    QString section_;
    QString setting_;
    TQKitDelayedCalls delayedCalls_;
};

// Attaches a pattern controller to `button` unless it already has one (the first one stays, with
// its section and key). `type`: 1 file names, 2 folders.
void TQPatternPopUpAttach(TQKitPopUpButton* button, const char* section, const char* key, unsigned type);
// The selected pattern of `button` into `out` (empty without a controller or a selection); returns
// out's text.
const char* TQPatternPopUpCopySelected(std::string& out, TQKitPopUpButton* button);
// Selects `pattern` (null: the empty text) in `button`'s menu.
void TQPatternPopUpSetSelected(TQKitPopUpButton* button, const char* pattern);
// Resets `button`'s list to the built-in one.
void TQPatternPopUpReset(TQKitPopUpButton* button);
// Gives `button`'s controller the texts of its host: "TQPBMenuToolTip", "TQPBCVNewTitle",
// "TQPBCVNewMessage", "TQPBCVEditTitle", "TQPBCVEditMessage", and the compose view's keys.
void TQPatternPopUpSetMessages(TQKitPopUpButton* button, const QVariantMap& texts);
// The controller attached to `button`, or null.
TQTagLibTextComposePopUpButton* TQPatternPopUpController(TQKitPopUpButton* button);
