#include "crashes/TQTMAppleErrorLog.h"

#include "crashes/TQTMBinary.h"
#include "crashes/TQTMExceptionModel.h"
#include "crashes/TQTMThread.h"

TQTMAppleErrorLog::TQTMAppleErrorLog()
{
    setType(kType);
}

TQTMJson TQTMAppleErrorLog::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMAbstractErrorLog::serializeToDictionary();
    TQTMPutFields(dictionary, *this, kFields);
    return dictionary;
}

bool TQTMAppleErrorLog::isValid() const
{
    if (!TQTMAbstractErrorLog::isValid())
        return false;
    if (!primaryArchitectureId_)
        return TQTMReportInvalidField(archiveClassName(), "primaryArchitectureId");
    if (!applicationPath_)
        return TQTMReportInvalidField(archiveClassName(), "applicationPath");
    if (!osExceptionType_)
        return TQTMReportInvalidField(archiveClassName(), "osExceptionType");
    if (!osExceptionCode_)
        return TQTMReportInvalidField(archiveClassName(), "osExceptionCode");
    if (!osExceptionAddress_)
        return TQTMReportInvalidField(archiveClassName(), "osExceptionAddress");
    return true;
}

bool TQTMAppleErrorLog::isEqual(const TQTMSerializableObject& other) const
{
    const auto* log = dynamic_cast<const TQTMAppleErrorLog*>(&other);
    return log && TQTMAbstractErrorLog::isEqual(other) && TQTMFieldsEqual(*this, *log, kFields);
}

void TQTMAppleErrorLog::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMAbstractErrorLog::encodeWithCoder(coder);
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMAppleErrorLog::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMAbstractErrorLog::initWithCoder(coder);
    TQTMDecodeFields(coder, *this, kFields);
}
