#pragma once

#include "platform/system/Clock.h"

#include <memory>

class TQTMCommonSchemaLog;
class TQTMDevice;
class TQTMStartServiceLog;

namespace sonvale::test {

// 2021-03-04T05:06:07.089Z
TimePoint fixedTimestamp();
// A complete device record with fixed values and no wrapper fields.
std::shared_ptr<TQTMDevice> fixedDevice();
// A start-service log of the Crashes service, stamped fixedTimestamp(), with fixedDevice().
std::shared_ptr<TQTMStartServiceLog> fixedStartServiceLog();
// A common-schema log with every field and every extension part set.
std::shared_ptr<TQTMCommonSchemaLog> completeCommonSchemaLog();

} // namespace sonvale::test
