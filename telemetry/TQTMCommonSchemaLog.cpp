#include "telemetry/TQTMCommonSchemaLog.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"
#include "telemetry/TQTMCSData.h"
#include "telemetry/TQTMCSExtensions.h"
#include "telemetry/TQTMOrderedDictionary.h"
#include "telemetry/TQTMUtility.h"

TQTMJson TQTMCommonSchemaLog::serializeToDictionary() const
{
    TQTMOrderedDictionary dictionary;
    if (ver_)
        dictionary.setObjectForKey(*ver_, "ver");
    if (name_)
        dictionary.setObjectForKey(*name_, "name");
    if (timestamp())
        dictionary.setObjectForKey(TQTMUtility::dateToISO8601(*timestamp()), "time");
    if (iKey_)
        dictionary.setObjectForKey(*iKey_, "iKey");
    if (flags_ != 0)
        dictionary.setObjectForKey(flags_, "flags");
    if (ext_)
        dictionary.setObjectForKey(ext_->serializeToDictionary(), "ext");
    if (data_) {
        if (TQTMJson data = data_->serializeToDictionary(); !data.is_null())
            dictionary.setObjectForKey(std::move(data), "data");
    }
    return dictionary.json();
}

bool TQTMCommonSchemaLog::isValid() const
{
    if (!timestamp())
        return TQTMReportInvalidField(kArchiveClassName, "timestamp");
    if (!ver_)
        return TQTMReportInvalidField(kArchiveClassName, "ver");
    if (!name_)
        return TQTMReportInvalidField(kArchiveClassName, "name");
    return true;
}

bool TQTMCommonSchemaLog::isEqual(const TQTMSerializableObject& other) const
{
    const auto* log = dynamic_cast<const TQTMCommonSchemaLog*>(&other);
    return log && TQTMAbstractLog::isEqual(other) && ver_ == log->ver_ && name_ == log->name_ &&
           popSample_ == log->popSample_ && iKey_ == log->iKey_ && flags_ == log->flags_ &&
           cV_ == log->cV_ && TQTMObjectsEqual(ext_, log->ext_) &&
           TQTMObjectsEqual(data_, log->data_);
}

void TQTMCommonSchemaLog::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMAbstractLog::encodeWithCoder(coder);
    coder.encodeString("ver", ver_);
    coder.encodeString("name", name_);
    coder.encodeDouble("popSample", popSample_);
    coder.encodeString("iKey", iKey_);
    coder.encodeInt64("flags", flags_);
    coder.encodeString("cV", cV_);
    coder.encodeObject("ext", ext_.get());
    coder.encodeObject("data", data_.get());
}

void TQTMCommonSchemaLog::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMAbstractLog::initWithCoder(coder);
    ver_ = coder.decodeString("ver");
    name_ = coder.decodeString("name");
    popSample_ = coder.decodeDouble("popSample");
    iKey_ = coder.decodeString("iKey");
    flags_ = coder.decodeInt64("flags");
    cV_ = coder.decodeString("cV");
    ext_ = coder.decodeObjectOfClass<TQTMCSExtensions>("ext");
    data_ = coder.decodeObjectOfClass<TQTMCSData>("data");
}
