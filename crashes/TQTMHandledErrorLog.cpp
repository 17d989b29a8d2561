#include "crashes/TQTMHandledErrorLog.h"

#include "crashes/TQTMErrorModelFields.h"
#include "crashes/TQTMExceptionModel.h"

using namespace tqtm_crashes::detail;

TQTMHandledErrorLog::TQTMHandledErrorLog()
{
    setType(kType);
}

TQTMJson TQTMHandledErrorLog::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMLogWithProperties::serializeToDictionary();
    putIfPresent(dictionary, "id", errorId_);
    putObjectIfPresent(dictionary, "exception", exception_);
    return dictionary;
}

bool TQTMHandledErrorLog::isValid() const
{
    if (!TQTMLogWithProperties::isValid())
        return false;
    if (!errorId_)
        return TQTMReportInvalidField(archiveClassName(), "errorId");
    if (!exception_)
        return TQTMReportInvalidField(archiveClassName(), "exception");
    return true;
}

bool TQTMHandledErrorLog::isEqual(const TQTMSerializableObject& other) const
{
    const auto* log = dynamic_cast<const TQTMHandledErrorLog*>(&other);
    return log && TQTMLogWithProperties::isEqual(other) && errorId_ == log->errorId_ &&
           TQTMObjectsEqual(exception_, log->exception_);
}

void TQTMHandledErrorLog::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMLogWithProperties::encodeWithCoder(coder);
    coder.encodeString("id", errorId_);
    coder.encodeObject("exception", exception_.get());
}

void TQTMHandledErrorLog::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMLogWithProperties::initWithCoder(coder);
    errorId_ = coder.decodeString("id");
    exception_ = coder.decodeObjectOfClass<TQTMExceptionModel>("exception");
}
