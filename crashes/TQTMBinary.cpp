#include "crashes/TQTMBinary.h"

TQTMJson TQTMBinary::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    TQTMPutFields(dictionary, *this, kFields);
    return dictionary;
}

bool TQTMBinary::isValid() const
{
    if (!binaryId_)
        return TQTMReportInvalidField(archiveClassName(), "binaryId");
    if (!startAddress_)
        return TQTMReportInvalidField(archiveClassName(), "startAddress");
    if (!endAddress_)
        return TQTMReportInvalidField(archiveClassName(), "endAddress");
    if (!name_)
        return TQTMReportInvalidField(archiveClassName(), "name");
    if (!path_)
        return TQTMReportInvalidField(archiveClassName(), "path");
    return true;
}

bool TQTMBinary::isEqual(const TQTMSerializableObject& other) const
{
    const auto* binary = dynamic_cast<const TQTMBinary*>(&other);
    return binary && TQTMFieldsEqual(*this, *binary, kFields);
}

std::string TQTMBinary::description() const { return serializeToDictionary().dump(); }

void TQTMBinary::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMBinary::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeFields(coder, *this, kFields);
}
