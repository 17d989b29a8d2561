#include "crashes/TQTMAppleErrorLog.h"

#include "crashes/TQTMBinary.h"
#include "crashes/TQTMErrorModelFields.h"
#include "crashes/TQTMExceptionModel.h"
#include "crashes/TQTMThread.h"

using namespace tqtm_crashes::detail;

TQTMAppleErrorLog::TQTMAppleErrorLog()
{
    setType(kType);
}

TQTMJson TQTMAppleErrorLog::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMAbstractErrorLog::serializeToDictionary();
    putIfPresent(dictionary, "primaryArchitectureId", primaryArchitectureId_);
    putIfPresent(dictionary, "architectureVariantId", architectureVariantId_);
    putIfPresent(dictionary, "applicationPath", applicationPath_);
    putIfPresent(dictionary, "osExceptionType", osExceptionType_);
    putIfPresent(dictionary, "osExceptionCode", osExceptionCode_);
    putIfPresent(dictionary, "osExceptionAddress", osExceptionAddress_);
    putIfPresent(dictionary, "exceptionType", exceptionType_);
    putIfPresent(dictionary, "exceptionReason", exceptionReason_);
    putIfPresent(dictionary, "selectorRegisterValue", selectorRegisterValue_);
    putArrayIfPresent(dictionary, "threads", threads_);
    putArrayIfPresent(dictionary, "binaries", binaries_);
    if (registers_)
        dictionary["registers"] = *registers_;
    putObjectIfPresent(dictionary, "exception", exception_);
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
    return log && TQTMAbstractErrorLog::isEqual(other) &&
           primaryArchitectureId_ == log->primaryArchitectureId_ &&
           architectureVariantId_ == log->architectureVariantId_ &&
           applicationPath_ == log->applicationPath_ &&
           osExceptionType_ == log->osExceptionType_ &&
           osExceptionCode_ == log->osExceptionCode_ &&
           osExceptionAddress_ == log->osExceptionAddress_ &&
           exceptionType_ == log->exceptionType_ && exceptionReason_ == log->exceptionReason_ &&
           selectorRegisterValue_ == log->selectorRegisterValue_ &&
           objectArraysEqual(threads_, log->threads_) &&
           objectArraysEqual(binaries_, log->binaries_) && registers_ == log->registers_ &&
           TQTMObjectsEqual(exception_, log->exception_);
}

void TQTMAppleErrorLog::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMAbstractErrorLog::encodeWithCoder(coder);
    encodeNumber(coder, "primaryArchitectureId", primaryArchitectureId_);
    encodeNumber(coder, "architectureVariantId", architectureVariantId_);
    coder.encodeString("applicationPath", applicationPath_);
    coder.encodeString("osExceptionType", osExceptionType_);
    coder.encodeString("osExceptionCode", osExceptionCode_);
    coder.encodeString("osExceptionAddress", osExceptionAddress_);
    coder.encodeString("exceptionType", exceptionType_);
    coder.encodeString("exceptionReason", exceptionReason_);
    coder.encodeString("selectorRegisterValue", selectorRegisterValue_);
    if (threads_)
        coder.encodeObjectArray("threads", *threads_);
    if (binaries_)
        coder.encodeObjectArray("binaries", *binaries_);
    coder.encodeStringMap("registers", registers_);
    coder.encodeObject("exception", exception_.get());
}

void TQTMAppleErrorLog::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMAbstractErrorLog::initWithCoder(coder);
    primaryArchitectureId_ = decodeNumber<uint64_t>(coder, "primaryArchitectureId");
    architectureVariantId_ = decodeNumber<uint64_t>(coder, "architectureVariantId");
    applicationPath_ = coder.decodeString("applicationPath");
    osExceptionType_ = coder.decodeString("osExceptionType");
    osExceptionCode_ = coder.decodeString("osExceptionCode");
    osExceptionAddress_ = coder.decodeString("osExceptionAddress");
    exceptionType_ = coder.decodeString("exceptionType");
    exceptionReason_ = coder.decodeString("exceptionReason");
    selectorRegisterValue_ = coder.decodeString("selectorRegisterValue");
    threads_ = coder.decodeArrayOfObjectsOfClass<TQTMThread>("threads");
    binaries_ = coder.decodeArrayOfObjectsOfClass<TQTMBinary>("binaries");
    registers_ = coder.decodeStringMap("registers");
    exception_ = coder.decodeObjectOfClass<TQTMExceptionModel>("exception");
}
