#pragma once

#include <QObject>

class QAction;

// Turns menu items into help commands: an item's tag is the command, and choosing the item runs
// it (TQKitMenuCommandPerform). One shared performer per process, created on first use; commands
// run one at a time. Main thread only (menus live there).
class TQMenuItemPerformer final : public QObject {
    Q_OBJECT

public:
    // Makes `item` run the command `tag` when chosen; the shared performer.
    static TQMenuItemPerformer* setupMenuItemWithTag(QAction* item, int tag);

    // Records the usage event when one is set, then runs the item's command (tag 0: nothing).
    void menuItemAction(QAction* sender);

private:
    TQMenuItemPerformer() = default;
};

// The usage event recorded for every command performed (at most 259 bytes kept); null or "" clears it.
void TQMenuItemPerformerSetEventName(const char* name);
