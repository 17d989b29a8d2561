#pragma once

#include <QList>

class TQCAppProgressWindowController;

// The open progress windows of the main window, each once, in order of creation. It owns their
// controllers: a controller leaves through remove() or closeAll() and is deleted on the next
// event-loop turn (it may be on the stack of its own close). Main thread only.
class TQCAppProgressWindowRegistry final {
public:
    TQCAppProgressWindowRegistry() = default;
    ~TQCAppProgressWindowRegistry();
    TQCAppProgressWindowRegistry(const TQCAppProgressWindowRegistry&) = delete;
    TQCAppProgressWindowRegistry& operator=(const TQCAppProgressWindowRegistry&) = delete;

    void add(TQCAppProgressWindowController* controller);
    // Lets the controller's list go and ends its window's sheet.
    void remove(TQCAppProgressWindowController* controller);
    // Stops every list that has not finished, lets the lists go and closes the windows; how many
    // there were.
    int closeAll();
    // The first window whose list has not finished; null when none.
    TQCAppProgressWindowController* firstUnfinished() const;

    const QList<TQCAppProgressWindowController*>& controllers() const { return controllers_; }
    bool isEmpty() const { return controllers_.isEmpty(); }

private:
    QList<TQCAppProgressWindowController*> controllers_;
};
