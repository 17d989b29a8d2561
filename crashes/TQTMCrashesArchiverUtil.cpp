#include "crashes/TQTMCrashesArchiverUtil.h"

#include "crashes/TQTMAppleErrorLog.h"
#include "crashes/TQTMBinary.h"
#include "crashes/TQTMErrorAttachmentLog.h"
#include "crashes/TQTMHandledErrorLog.h"
#include "crashes/TQTMStackFrame.h"
#include "crashes/TQTMThread.h"
#include "crashes/TQTMWrapperException.h"
#include "crashes/TQTMWrapperExceptionModel.h"
#include "telemetry/TQTMArchiverUtil.h"
#include "telemetry/TQTMCommonSchemaLog.h"
#include "telemetry/TQTMDevice.h"

void TQTMCrashesArchiverUtil::addAllowedCrashesModuleClasses()
{
    // Dates, UUIDs, texts, numbers, bytes, arrays and dictionaries are values of the archive
    // itself; the error report is never archived.
    TQTMArchiverUtil::addAllowedClass<TQTMAppleErrorLog>();
    TQTMArchiverUtil::addAllowedClass<TQTMDevice>();
    TQTMArchiverUtil::addAllowedClass<TQTMThread>();
    TQTMArchiverUtil::addAllowedClass<TQTMWrapperException>();
    TQTMArchiverUtil::addAllowedClass<TQTMAbstractErrorLog>();
    TQTMArchiverUtil::addAllowedClass<TQTMHandledErrorLog>();
    TQTMArchiverUtil::addAllowedClass<TQTMWrapperExceptionModel>();
    TQTMArchiverUtil::addAllowedClass<TQTMStackFrame>();
    TQTMArchiverUtil::addAllowedClass<TQTMBinary>();
    TQTMArchiverUtil::addAllowedClass<TQTMErrorAttachmentLog>();
    TQTMArchiverUtil::addAllowedClass<TQTMWrapperSdk>();
    TQTMArchiverUtil::addAllowedClass<TQTMLogWithProperties>();
    TQTMArchiverUtil::addAllowedClass<TQTMCommonSchemaLog>();
    TQTMArchiverUtil::addAllowedClass<TQTMExceptionModel>();
}
