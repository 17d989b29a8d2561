#include "crashes/TQTMWrapperException.h"

#include "crashes/TQTMErrorModelFields.h"
#include "crashes/TQTMExceptionModel.h"
#include "platform/system/Base64.h"

using namespace tqtm_crashes::detail;

TQTMJson TQTMWrapperException::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    putObjectIfPresent(dictionary, "modelException", modelException_);
    if (exceptionData_)
        dictionary["exceptionData"] =
            sonvale::base64Encode(exceptionData_->data(), exceptionData_->size());
    putIfPresent(dictionary, "processId", processId_);
    return dictionary;
}

void TQTMWrapperException::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    coder.encodeObject("modelException", modelException_.get());
    coder.encodeData("exceptionData", exceptionData_);
    encodeNumber(coder, "processId", processId_);
}

void TQTMWrapperException::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    modelException_ = coder.decodeObjectOfClass<TQTMExceptionModel>("modelException");
    exceptionData_ = coder.decodeData("exceptionData");
    processId_ = decodeNumber<int64_t>(coder, "processId");
}
