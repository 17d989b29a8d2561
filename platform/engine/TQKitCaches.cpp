#include "platform/engine/TQKitCaches.h"

#include "platform/engine/WorkFolders.h"

void TQKitClearCaches()
{
    sonvale::engine::WorkFolders::sweepDead();
}
