#pragma once

#include "platform/system/Clock.h"
#include "telemetry/TQTMSerializableObject.h"

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <ranges>
#include <string>
#include <tuple>
#include <vector>

// One field of a model class: its key, the same in the JSON and in the archive, and the member
// that holds it. A class lists its fields once, in the order they are written, as an array (all
// of one type) or a tuple:
//     static constexpr auto kFields = std::tuple{TQTMModelField{"id", &Record::errorId_}, ...};
// and its serializeToDictionary, isEqual, encodeWithCoder and initWithCoder hand the list to the
// functions below after their base class's part. Rules of a field's own (a value written only in
// some cases, a required field) stay in the class.
template <class Record, class T>
struct TQTMModelField {
    const char* key;
    T Record::*member;
};
template <class Record, class T>
TQTMModelField(const char*, T Record::*) -> TQTMModelField<Record, T>;

// How one value is written, compared and archived, by the member's type. An optional value, a
// nested object or a list of them is written only when present; a bool is always written. Numbers
// are archived as 64-bit integers, dates in JSON as ISO 8601 text and bytes in JSON as base64.
namespace tqtm_detail {

template <class T>
void putIfPresent(TQTMJson& dictionary, const char* key, const std::optional<T>& value)
{
    if (value)
        dictionary[key] = *value;
}
void putIfPresent(TQTMJson& dictionary, const char* key,
                  const std::optional<sonvale::TimePoint>& value);
void putIfPresent(TQTMJson& dictionary, const char* key,
                  const std::optional<std::vector<uint8_t>>& value);

template <class T>
void putObjectIfPresent(TQTMJson& dictionary, const char* key, const std::shared_ptr<T>& object)
{
    if (object)
        dictionary[key] = object->serializeToDictionary();
}

template <class T>
TQTMJson serializedArray(const std::vector<std::shared_ptr<T>>& objects)
{
    TQTMJson array = TQTMJson::array();
    for (const auto& object : objects)
        array.push_back(object ? object->serializeToDictionary() : TQTMJson());
    return array;
}

template <class T>
void putArrayIfPresent(TQTMJson& dictionary, const char* key,
                       const std::optional<std::vector<std::shared_ptr<T>>>& objects)
{
    if (objects)
        dictionary[key] = serializedArray(*objects);
}

template <class T>
bool objectArraysEqual(const std::vector<std::shared_ptr<T>>& a,
                       const std::vector<std::shared_ptr<T>>& b)
{
    return std::ranges::equal(
        a, b, [](const auto& x, const auto& y) { return TQTMObjectsEqual(x, y); });
}

template <class T>
bool objectArraysEqual(const std::optional<std::vector<std::shared_ptr<T>>>& a,
                       const std::optional<std::vector<std::shared_ptr<T>>>& b)
{
    if (!a || !b)
        return !a && !b;
    return objectArraysEqual(*a, *b);
}

template <class T>
void encodeNumber(sonvale::KeyedArchiver& coder, const std::string& key,
                  const std::optional<T>& value)
{
    if (value)
        coder.encodeInt64(key, static_cast<int64_t>(*value));
}

template <class T>
std::optional<T> decodeNumber(sonvale::KeyedUnarchiver& coder, const std::string& key)
{
    if (!coder.containsValueForKey(key))
        return std::nullopt;
    return static_cast<T>(coder.decodeInt64(key));
}

// A field by its member's type.
template <class T>
void putField(TQTMJson& dictionary, const char* key, const T& value)
{
    putIfPresent(dictionary, key, value);
}
void putField(TQTMJson& dictionary, const char* key, bool value);
template <class T>
void putField(TQTMJson& dictionary, const char* key, const std::shared_ptr<T>& object)
{
    putObjectIfPresent(dictionary, key, object);
}
template <class T>
void putField(TQTMJson& dictionary, const char* key,
              const std::optional<std::vector<std::shared_ptr<T>>>& objects)
{
    putArrayIfPresent(dictionary, key, objects);
}

template <class T>
bool sameField(const T& a, const T& b)
{
    return a == b;
}
template <class T>
bool sameField(const std::shared_ptr<T>& a, const std::shared_ptr<T>& b)
{
    return TQTMObjectsEqual(a, b);
}
template <class T>
bool sameField(const std::optional<std::vector<std::shared_ptr<T>>>& a,
               const std::optional<std::vector<std::shared_ptr<T>>>& b)
{
    return objectArraysEqual(a, b);
}

void encodeField(sonvale::KeyedArchiver& coder, const char* key,
                 const std::optional<std::string>& value);
void encodeField(sonvale::KeyedArchiver& coder, const char* key,
                 const std::optional<sonvale::TimePoint>& value);
void encodeField(sonvale::KeyedArchiver& coder, const char* key,
                 const std::optional<std::vector<uint8_t>>& value);
void encodeField(sonvale::KeyedArchiver& coder, const char* key,
                 const std::optional<std::vector<std::string>>& value);
void encodeField(sonvale::KeyedArchiver& coder, const char* key,
                 const std::optional<std::map<std::string, std::string>>& value);
void encodeField(sonvale::KeyedArchiver& coder, const char* key, bool value);
template <std::integral T>
void encodeField(sonvale::KeyedArchiver& coder, const char* key, const std::optional<T>& value)
{
    encodeNumber(coder, key, value);
}
template <class T>
void encodeField(sonvale::KeyedArchiver& coder, const char* key, const std::shared_ptr<T>& object)
{
    coder.encodeObject(key, object.get());
}
template <class T>
void encodeField(sonvale::KeyedArchiver& coder, const char* key,
                 const std::optional<std::vector<std::shared_ptr<T>>>& objects)
{
    if (objects)
        coder.encodeObjectArray(key, *objects);
}

void decodeField(sonvale::KeyedUnarchiver& coder, const char* key,
                 std::optional<std::string>& value);
void decodeField(sonvale::KeyedUnarchiver& coder, const char* key,
                 std::optional<sonvale::TimePoint>& value);
void decodeField(sonvale::KeyedUnarchiver& coder, const char* key,
                 std::optional<std::vector<uint8_t>>& value);
void decodeField(sonvale::KeyedUnarchiver& coder, const char* key,
                 std::optional<std::vector<std::string>>& value);
void decodeField(sonvale::KeyedUnarchiver& coder, const char* key,
                 std::optional<std::map<std::string, std::string>>& value);
void decodeField(sonvale::KeyedUnarchiver& coder, const char* key, bool& value);
template <std::integral T>
void decodeField(sonvale::KeyedUnarchiver& coder, const char* key, std::optional<T>& value)
{
    value = decodeNumber<T>(coder, key);
}
template <class T>
void decodeField(sonvale::KeyedUnarchiver& coder, const char* key, std::shared_ptr<T>& object)
{
    object = coder.decodeObjectOfClass<T>(key);
}
template <class T>
void decodeField(sonvale::KeyedUnarchiver& coder, const char* key,
                 std::optional<std::vector<std::shared_ptr<T>>>& objects)
{
    objects = coder.decodeArrayOfObjectsOfClass<T>(key);
}

template <class Fields, class Visit>
void forEachField(const Fields& fields, Visit visit)
{
    if constexpr (std::ranges::range<Fields>) {
        for (const auto& field : fields)
            visit(field);
    } else {
        std::apply([&](const auto&... field) { (visit(field), ...); }, fields);
    }
}

} // namespace tqtm_detail

// Adds the record's fields that are present to `dictionary`, in the order of `fields`.
template <class Record, class Fields>
void TQTMPutFields(TQTMJson& dictionary, const Record& record, const Fields& fields)
{
    tqtm_detail::forEachField(fields, [&](const auto& field) {
        tqtm_detail::putField(dictionary, field.key, record.*field.member);
    });
}

template <class Record, class Fields>
bool TQTMFieldsEqual(const Record& a, const Record& b, const Fields& fields)
{
    bool equal = true;
    tqtm_detail::forEachField(fields, [&](const auto& field) {
        equal = equal && tqtm_detail::sameField(a.*field.member, b.*field.member);
    });
    return equal;
}

template <class Record, class Fields>
void TQTMEncodeFields(sonvale::KeyedArchiver& coder, const Record& record, const Fields& fields)
{
    tqtm_detail::forEachField(fields, [&](const auto& field) {
        tqtm_detail::encodeField(coder, field.key, record.*field.member);
    });
}

template <class Record, class Fields>
void TQTMDecodeFields(sonvale::KeyedUnarchiver& coder, Record& record, const Fields& fields)
{
    tqtm_detail::forEachField(fields, [&](const auto& field) {
        tqtm_detail::decodeField(coder, field.key, record.*field.member);
    });
}
