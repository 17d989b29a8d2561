#include "crashes/TQTMStackFrame.h"

#include "crashes/TQTMErrorModelFields.h"

using namespace tqtm_crashes::detail;

TQTMJson TQTMStackFrame::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    putIfPresent(dictionary, "address", address_);
    putIfPresent(dictionary, "code", code_);
    putIfPresent(dictionary, "className", className_);
    putIfPresent(dictionary, "methodName", methodName_);
    putIfPresent(dictionary, "lineNumber", lineNumber_);
    putIfPresent(dictionary, "fileName", fileName_);
    return dictionary;
}

bool TQTMStackFrame::isEqual(const TQTMSerializableObject& other) const
{
    const auto* frame = dynamic_cast<const TQTMStackFrame*>(&other);
    return frame && address_ == frame->address_ && code_ == frame->code_ &&
           className_ == frame->className_ && methodName_ == frame->methodName_ &&
           lineNumber_ == frame->lineNumber_ && fileName_ == frame->fileName_;
}

void TQTMStackFrame::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    coder.encodeString("address", address_);
    coder.encodeString("code", code_);
    coder.encodeString("className", className_);
    coder.encodeString("methodName", methodName_);
    encodeNumber(coder, "lineNumber", lineNumber_);
    coder.encodeString("fileName", fileName_);
}

void TQTMStackFrame::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    address_ = coder.decodeString("address");
    code_ = coder.decodeString("code");
    className_ = coder.decodeString("className");
    methodName_ = coder.decodeString("methodName");
    lineNumber_ = decodeNumber<int64_t>(coder, "lineNumber");
    fileName_ = coder.decodeString("fileName");
}
