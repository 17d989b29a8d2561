#include "crashes/TQTMWrapperExceptionModel.h"

#include "crashes/TQTMErrorModelFields.h"

using namespace tqtm_crashes::detail;

TQTMJson TQTMWrapperExceptionModel::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMExceptionModel::serializeToDictionary();
    putIfPresent(dictionary, "wrapperSdkName", wrapperSdkName_);
    putArrayIfPresent(dictionary, "innerExceptions", innerExceptions_);
    return dictionary;
}

bool TQTMWrapperExceptionModel::isEqual(const TQTMSerializableObject& other) const
{
    const auto* model = dynamic_cast<const TQTMWrapperExceptionModel*>(&other);
    return model && TQTMExceptionModel::isEqual(other) &&
           wrapperSdkName_ == model->wrapperSdkName_ &&
           objectArraysEqual(innerExceptions_, model->innerExceptions_);
}

void TQTMWrapperExceptionModel::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMExceptionModel::encodeWithCoder(coder);
    coder.encodeString("wrapperSdkName", wrapperSdkName_);
    if (innerExceptions_)
        coder.encodeObjectArray("innerExceptions", *innerExceptions_);
}

void TQTMWrapperExceptionModel::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMExceptionModel::initWithCoder(coder);
    wrapperSdkName_ = coder.decodeString("wrapperSdkName");
    innerExceptions_ = coder.decodeArrayOfObjectsOfClass<TQTMExceptionModel>("innerExceptions");
}
