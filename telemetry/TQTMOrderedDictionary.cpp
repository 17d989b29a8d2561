#include "telemetry/TQTMOrderedDictionary.h"

TQTMOrderedDictionary::TQTMOrderedDictionary(size_t capacity)
{
    values_.get_ref<TQTMJson::object_t&>().reserve(capacity);
}

void TQTMOrderedDictionary::setObjectForKey(TQTMJson value, const std::string& key)
{
    values_[key] = std::move(value);
}

TQTMJson TQTMOrderedDictionary::objectForKey(const std::string& key) const
{
    const auto it = values_.find(key);
    return it == values_.end() ? TQTMJson() : *it;
}

std::vector<std::string> TQTMOrderedDictionary::keys() const
{
    std::vector<std::string> keys;
    for (auto it = values_.begin(); it != values_.end(); ++it)
        keys.push_back(it.key());
    return keys;
}
