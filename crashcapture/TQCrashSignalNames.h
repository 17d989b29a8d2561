#pragma once

namespace tqcrash::async {

// Names that reports give signals and signal codes, built from this host's <signal.h> numbers.
// Both return a constant string, or null when the table has no entry. Safe in a signal handler.
const char* signal_name(int signal);
const char* signal_code_name(int signal, int code);

} // namespace tqcrash::async
