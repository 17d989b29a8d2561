#include "crashes/TQTMStackFrame.h"

TQTMJson TQTMStackFrame::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    TQTMPutFields(dictionary, *this, kFields);
    return dictionary;
}

bool TQTMStackFrame::isEqual(const TQTMSerializableObject& other) const
{
    const auto* frame = dynamic_cast<const TQTMStackFrame*>(&other);
    return frame && TQTMFieldsEqual(*this, *frame, kFields);
}

void TQTMStackFrame::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMStackFrame::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeFields(coder, *this, kFields);
}
