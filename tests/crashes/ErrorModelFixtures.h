#pragma once

#include <memory>

class TQTMAppleErrorLog;
class TQTMExceptionModel;
class TQTMThread;

namespace sonvale::test {

// An exception model with a type, message, stack text and two frames.
std::shared_ptr<TQTMExceptionModel> fixedExceptionModel();
// A thread with two frames and the fixed exception.
std::shared_ptr<TQTMThread> fixedThread();
// A valid crash log with every field set, stamped fixedTimestamp(), with fixedDevice().
std::shared_ptr<TQTMAppleErrorLog> completeCrashLog();

} // namespace sonvale::test
