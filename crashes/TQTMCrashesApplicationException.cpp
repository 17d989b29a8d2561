// Exceptions that the application object reports go to the uncaught-exception handler the engine
// installed, which writes them into a crash report.

#include "crashes/TQTMCrashes.h"

#include "platform/system/Exception.h"
#include "telemetry/TQTMTelemetry.h"

void TQTMCrashes::applicationDidReportException(const sonvale::Exception& exception)
{
    if (TQTMTelemetry::isDebuggerAttached())
        return;
    if (const sonvale::UncaughtExceptionHandler handler = sharedInstance()->exceptionHandler())
        handler(exception);
}
