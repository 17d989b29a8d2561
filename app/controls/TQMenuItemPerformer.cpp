#include "app/controls/TQMenuItemPerformer.h"

#include "lifecycle/TQAnalytics.h"
#include "platform/tqkit-ui/TQKitHelpCommands.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit/TQKitMutex.h"

#include <QAction>

#include <mutex>
#include <string>

namespace {

// Guards the shared performer, the event name and every performed command.
TQKitMutex performerMutex;
TQMenuItemPerformer* sharedPerformer = nullptr; // lives for the process
std::string eventName;
constexpr size_t kEventNameLimit = 259;

} // namespace

TQMenuItemPerformer* TQMenuItemPerformer::setupMenuItemWithTag(QAction* item, int tag)
{
    std::lock_guard lock(performerMutex);
    if (!sharedPerformer)
        sharedPerformer = new TQMenuItemPerformer;
    TQKitMenuItemSetTag(item, tag);
    item->setProperty("tqkitPerformer", true);
    QObject::connect(item, &QAction::triggered, sharedPerformer, [item] { sharedPerformer->menuItemAction(item); });
    return sharedPerformer;
}

void TQMenuItemPerformer::menuItemAction(QAction* sender)
{
    std::string event;
    {
        std::lock_guard lock(performerMutex);
        event = eventName;
    }
    if (!event.empty())
        TQAnalyticsPostEvent(event.c_str());
    std::lock_guard lock(performerMutex);
    if (sender && sender->property("tqkitPerformer").toBool() && TQKitMenuItemTag(sender) != 0)
        TQKitMenuCommandPerform(TQKitMenuItemTag(sender));
}

void TQMenuItemPerformerSetEventName(const char* name)
{
    std::lock_guard lock(performerMutex);
    eventName = name == nullptr ? std::string() : std::string(name).substr(0, kEventNameLimit);
}
