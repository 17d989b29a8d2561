#include "crashes/TQTMHandledErrorLog.h"

#include "crashes/TQTMExceptionModel.h"

TQTMHandledErrorLog::TQTMHandledErrorLog()
{
    setType(kType);
}

TQTMJson TQTMHandledErrorLog::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMLogWithProperties::serializeToDictionary();
    TQTMPutFields(dictionary, *this, kFields);
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
    return log && TQTMLogWithProperties::isEqual(other) && TQTMFieldsEqual(*this, *log, kFields);
}

void TQTMHandledErrorLog::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMLogWithProperties::encodeWithCoder(coder);
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMHandledErrorLog::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMLogWithProperties::initWithCoder(coder);
    TQTMDecodeFields(coder, *this, kFields);
}
