#include "crashes/TQTMAbstractErrorLog.h"

#include "crashes/TQTMErrorModelFields.h"
#include "telemetry/TQTMUtility.h"

using namespace tqtm_crashes::detail;

TQTMJson TQTMAbstractErrorLog::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMLogWithProperties::serializeToDictionary();
    putIfPresent(dictionary, "id", errorId_);
    putIfPresent(dictionary, "processId", processId_);
    putIfPresent(dictionary, "processName", processName_);
    putIfPresent(dictionary, "parentProcessId", parentProcessId_);
    putIfPresent(dictionary, "parentProcessName", parentProcessName_);
    putIfPresent(dictionary, "errorThreadId", errorThreadId_);
    putIfPresent(dictionary, "errorThreadName", errorThreadName_);
    dictionary["fatal"] = fatal_;
    if (appLaunchTimestamp_)
        dictionary["appLaunchTimestamp"] = TQTMUtility::dateToISO8601(*appLaunchTimestamp_);
    putIfPresent(dictionary, "architecture", architecture_);
    return dictionary;
}

bool TQTMAbstractErrorLog::isValid() const
{
    if (!TQTMLogWithProperties::isValid())
        return false;
    if (!errorId_)
        return TQTMReportInvalidField(archiveClassName(), "errorId");
    if (!processId_)
        return TQTMReportInvalidField(archiveClassName(), "processId");
    if (!processName_)
        return TQTMReportInvalidField(archiveClassName(), "processName");
    return true;
}

bool TQTMAbstractErrorLog::isEqual(const TQTMSerializableObject& other) const
{
    const auto* log = dynamic_cast<const TQTMAbstractErrorLog*>(&other);
    return log && TQTMLogWithProperties::isEqual(other) && errorId_ == log->errorId_ &&
           processId_ == log->processId_ && processName_ == log->processName_ &&
           parentProcessId_ == log->parentProcessId_ &&
           parentProcessName_ == log->parentProcessName_ &&
           errorThreadId_ == log->errorThreadId_ && errorThreadName_ == log->errorThreadName_ &&
           fatal_ == log->fatal_ && appLaunchTimestamp_ == log->appLaunchTimestamp_ &&
           architecture_ == log->architecture_;
}

void TQTMAbstractErrorLog::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMLogWithProperties::encodeWithCoder(coder);
    coder.encodeString("id", errorId_);
    encodeNumber(coder, "processId", processId_);
    coder.encodeString("processName", processName_);
    encodeNumber(coder, "parentProcessId", parentProcessId_);
    coder.encodeString("parentProcessName", parentProcessName_);
    encodeNumber(coder, "errorThreadId", errorThreadId_);
    coder.encodeString("errorThreadName", errorThreadName_);
    coder.encodeBool("fatal", fatal_);
    coder.encodeDate("appLaunchTimestamp", appLaunchTimestamp_);
    coder.encodeString("architecture", architecture_);
}

void TQTMAbstractErrorLog::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMLogWithProperties::initWithCoder(coder);
    errorId_ = coder.decodeString("id");
    processId_ = decodeNumber<int64_t>(coder, "processId");
    processName_ = coder.decodeString("processName");
    parentProcessId_ = decodeNumber<int64_t>(coder, "parentProcessId");
    parentProcessName_ = coder.decodeString("parentProcessName");
    errorThreadId_ = decodeNumber<int64_t>(coder, "errorThreadId");
    errorThreadName_ = coder.decodeString("errorThreadName");
    fatal_ = coder.decodeBool("fatal");
    appLaunchTimestamp_ = coder.decodeDate("appLaunchTimestamp");
    architecture_ = coder.decodeString("architecture");
}
