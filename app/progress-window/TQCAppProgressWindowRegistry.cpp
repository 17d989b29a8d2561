#include "app/progress-window/TQCAppProgressWindowRegistry.h"

#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConverter.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"

#include <utility>

TQCAppProgressWindowRegistry::~TQCAppProgressWindowRegistry()
{
    for (TQCAppProgressWindowController* controller : std::exchange(controllers_, {}))
        delete controller;
}

void TQCAppProgressWindowRegistry::add(TQCAppProgressWindowController* controller)
{
    if (controller && !controllers_.contains(controller))
        controllers_.append(controller);
}

void TQCAppProgressWindowRegistry::remove(TQCAppProgressWindowController* controller)
{
    if (!controllers_.removeOne(controller))
        return;
    controller->invalidateConversionList();
    TQKitWindowEndSheet(controller->window(), 0);
    controller->deleteLater();
}

int TQCAppProgressWindowRegistry::closeAll()
{
    const QList<TQCAppProgressWindowController*> closing = std::exchange(controllers_, {});
    for (TQCAppProgressWindowController* controller : closing) {
        // A list that still converts is stopped, not left running without a window.
        if (TQKitConversionList* list = controller->list();
            list && TQKitConversionListState(list) != TQKitConversionList::Finished)
            TQKitConversionListStop(list);
        controller->invalidateConversionList();
        TQKitWindowEndSheet(controller->window(), 0);
        controller->close();
        controller->deleteLater();
    }
    return static_cast<int>(closing.size());
}

TQCAppProgressWindowController* TQCAppProgressWindowRegistry::firstUnfinished() const
{
    for (TQCAppProgressWindowController* controller : controllers_) {
        if (controller->list() && TQKitConversionListState(controller->list()) != TQKitConversionList::Finished)
            return controller;
    }
    return nullptr;
}
