#include "crashes/TQTMWrapperExceptionModel.h"

TQTMJson TQTMWrapperExceptionModel::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMExceptionModel::serializeToDictionary();
    TQTMPutFields(dictionary, *this, kFields);
    return dictionary;
}

bool TQTMWrapperExceptionModel::isEqual(const TQTMSerializableObject& other) const
{
    const auto* model = dynamic_cast<const TQTMWrapperExceptionModel*>(&other);
    return model && TQTMExceptionModel::isEqual(other) && TQTMFieldsEqual(*this, *model, kFields);
}

void TQTMWrapperExceptionModel::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMExceptionModel::encodeWithCoder(coder);
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMWrapperExceptionModel::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMExceptionModel::initWithCoder(coder);
    TQTMDecodeFields(coder, *this, kFields);
}
