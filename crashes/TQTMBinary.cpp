#include "crashes/TQTMBinary.h"

#include "crashes/TQTMErrorModelFields.h"

using namespace tqtm_crashes::detail;

TQTMJson TQTMBinary::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    putIfPresent(dictionary, "id", binaryId_);
    putIfPresent(dictionary, "startAddress", startAddress_);
    putIfPresent(dictionary, "endAddress", endAddress_);
    putIfPresent(dictionary, "name", name_);
    putIfPresent(dictionary, "path", path_);
    putIfPresent(dictionary, "architecture", architecture_);
    putIfPresent(dictionary, "primaryArchitectureId", primaryArchitectureId_);
    putIfPresent(dictionary, "architectureVariantId", architectureVariantId_);
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
    return binary && binaryId_ == binary->binaryId_ && startAddress_ == binary->startAddress_ &&
           endAddress_ == binary->endAddress_ && name_ == binary->name_ &&
           path_ == binary->path_ && architecture_ == binary->architecture_ &&
           primaryArchitectureId_ == binary->primaryArchitectureId_ &&
           architectureVariantId_ == binary->architectureVariantId_;
}

std::string TQTMBinary::description() const { return serializeToDictionary().dump(); }

void TQTMBinary::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    coder.encodeString("id", binaryId_);
    coder.encodeString("startAddress", startAddress_);
    coder.encodeString("endAddress", endAddress_);
    coder.encodeString("name", name_);
    coder.encodeString("path", path_);
    coder.encodeString("architecture", architecture_);
    encodeNumber(coder, "primaryArchitectureId", primaryArchitectureId_);
    encodeNumber(coder, "architectureVariantId", architectureVariantId_);
}

void TQTMBinary::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    binaryId_ = coder.decodeString("id");
    startAddress_ = coder.decodeString("startAddress");
    endAddress_ = coder.decodeString("endAddress");
    name_ = coder.decodeString("name");
    path_ = coder.decodeString("path");
    architecture_ = coder.decodeString("architecture");
    primaryArchitectureId_ = decodeNumber<uint64_t>(coder, "primaryArchitectureId");
    architectureVariantId_ = decodeNumber<uint64_t>(coder, "architectureVariantId");
}
