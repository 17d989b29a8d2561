#pragma once

#include "platform/system/KeyedArchivable.h"
#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

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

// A dictionary archived as the object's one unkeyed value: kept as JSON text, which preserves the
// members' order. Nothing is written for no dictionary; text that is not JSON reads as nothing.
void TQTMEncodeJsonText(sonvale::KeyedArchiver& coder, const std::optional<TQTMJson>& value);
std::optional<TQTMJson> TQTMDecodeJsonText(sonvale::KeyedUnarchiver& coder);
