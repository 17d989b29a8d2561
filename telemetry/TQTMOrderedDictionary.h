#pragma once

#include "telemetry/TQTMSerializableObject.h"

#include <string>
#include <vector>

// A dictionary that keeps its keys in insertion order, so that the JSON written from it lists the
// members in that order. Replacing a value keeps the key's place. Used by one thread at a time.
class TQTMOrderedDictionary final {
public:
    TQTMOrderedDictionary() = default;
    explicit TQTMOrderedDictionary(size_t capacity);

    void setObjectForKey(TQTMJson value, const std::string& key);
    // The value, or null when the key is absent.
    TQTMJson objectForKey(const std::string& key) const;
    size_t count() const { return values_.size(); }
    void removeAllObjects() { values_ = TQTMJson::object(); }
    // The keys, oldest first.
    std::vector<std::string> keys() const;

    // Equal values and the same key order.
    bool isEqualToDictionary(const TQTMOrderedDictionary& other) const
    {
        return values_ == other.values_;
    }
    // The dictionary as a JSON object with members in insertion order.
    const TQTMJson& json() const { return values_; }

private:
    TQTMJson values_ = TQTMJson::object();
};
