#include "app/main-window/TQCAppMainWindowControllerCustom.h"

#include "platform/tqkit/TQTaskInfoMapping.h"

void TQCAppMainWindowControllerCustom::configureTaskInfoTemplate(TQTaskInfoRecord* record)
{
    TQTaskInfoApplyOutputFormat(record);
}
