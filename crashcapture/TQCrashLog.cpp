#include "crashcapture/TQCrashLog.h"

#include <syslog.h>

#include <cstdarg>

namespace tqcrash {

void TQCrashLog(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vsyslog(LOG_USER | LOG_INFO, format, arguments);
    va_end(arguments);
}

} // namespace tqcrash
