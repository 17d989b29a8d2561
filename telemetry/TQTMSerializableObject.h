#pragma once

#include "platform/system/KeyedArchivable.h"
#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

#include <array>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

// The JSON value of the telemetry model. Objects keep their members in insertion order, which
// makes the written text stable; a null value stands for "nothing" where a serialization may
// yield none.
using TQTMJson = nlohmann::ordered_json;

// A model object that turns itself into a JSON object, tells whether it is complete, compares
// itself field by field with another and can be kept in a keyed archive.
class TQTMSerializableObject : public sonvale::KeyedArchivable {
public:
    // The JSON object of this record, or null when there is nothing to write.
    virtual TQTMJson serializeToDictionary() const = 0;
    virtual bool isValid() const { return true; }
    // Equal when `other` is of this class (or a subclass) and the fields compare equal.
    virtual bool isEqual(const TQTMSerializableObject& other) const = 0;
};

// Equality of two optional references to model objects: both absent, or both present and equal.
template <class T>
bool TQTMObjectsEqual(const std::shared_ptr<T>& a, const std::shared_ptr<T>& b)
{
    if (!a || !b)
        return !a && !b;
    return a->isEqual(*b);
}

// Logs, at VERBOSE, that the named field of a record of the named class is missing, and answers
// false, for the isValid() of every model class.
bool TQTMReportInvalidField(std::string_view className, std::string_view field);

// Helpers for records made of optional text fields. `fields` is a range of (key, pointer to the
// field) pairs, as a class's stringFields(self) gives them.
template <class Fields>
TQTMJson TQTMSerializeStringFields(const Fields& fields) // null when no field is set
{
    TQTMJson dictionary;
    for (const auto& [key, value] : fields)
        if (*value)
            dictionary[key] = **value;
    return dictionary;
}

template <class Fields>
void TQTMEncodeStringFields(sonvale::KeyedArchiver& coder, const Fields& fields)
{
    for (const auto& [key, value] : fields)
        coder.encodeString(key, *value);
}

template <class Fields>
void TQTMDecodeStringFields(sonvale::KeyedUnarchiver& coder, const Fields& fields)
{
    for (const auto& [key, value] : fields)
        *value = coder.decodeString(key);
}

template <class Fields>
bool TQTMStringFieldsEqual(const Fields& a, const Fields& b)
{
    for (size_t i = 0; i < a.size(); ++i)
        if (*a[i].second != *b[i].second)
            return false;
    return true;
}
