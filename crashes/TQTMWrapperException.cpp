#include "crashes/TQTMWrapperException.h"

#include "crashes/TQTMExceptionModel.h"

TQTMJson TQTMWrapperException::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    TQTMPutFields(dictionary, *this, kFields);
    return dictionary;
}

void TQTMWrapperException::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMWrapperException::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeFields(coder, *this, kFields);
}
