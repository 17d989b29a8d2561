#pragma once

#include "platform/system/Executor.h"

namespace sonvale {

// The process-wide pool of a few worker threads for work that needs no order of its own (the
// stand-in for the default-priority global queue). Created on first use, lives for the process.
Executor& globalQueue();

} // namespace sonvale
