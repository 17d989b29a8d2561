#pragma once

#include "telemetry/TQTMSerializableObject.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Field helpers shared by the error log model: how an optional value, a nested object or a list
// of them is written, compared and archived. Header-only templates over the model types.
namespace tqtm_crashes::detail {

template <class T>
void putIfPresent(TQTMJson& dictionary, const char* key, const std::optional<T>& value)
{
    if (value)
        dictionary[key] = *value;
}

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

// Numbers are archived as 64-bit integers; an absent number writes nothing.
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

} // namespace tqtm_crashes::detail
