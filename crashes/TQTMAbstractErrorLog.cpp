#include "crashes/TQTMAbstractErrorLog.h"

#include "telemetry/TQTMUtility.h"

TQTMJson TQTMAbstractErrorLog::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMLogWithProperties::serializeToDictionary();
    TQTMPutFields(dictionary, *this, kFields);
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
    return log && TQTMLogWithProperties::isEqual(other) && TQTMFieldsEqual(*this, *log, kFields);
}

void TQTMAbstractErrorLog::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMLogWithProperties::encodeWithCoder(coder);
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMAbstractErrorLog::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMLogWithProperties::initWithCoder(coder);
    TQTMDecodeFields(coder, *this, kFields);
}
