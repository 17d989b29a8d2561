#pragma once

#include "platform/system/Clock.h"
#include "platform/system/KeyedArchivable.h"
#include "platform/system/Uuid.h"

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace sonvale {

// Writes a keyed archive: every object becomes a CBOR map {"$class": name, key: value, ...}.
// Absent optional values are simply not written. One archiver writes one archive; the encode calls
// of a class's encodeWithCoder() go to the archiver it is handed.
class KeyedArchiver final {
public:
    // The key under which the archiving helpers put their one root value.
    static constexpr const char* kRootKey = "root";

    void encodeString(const std::string& key, const std::optional<std::string>& value);
    void encodeInt64(const std::string& key, int64_t value);
    void encodeDouble(const std::string& key, double value);
    void encodeBool(const std::string& key, bool value);
    void encodeDate(const std::string& key, const std::optional<TimePoint>& value);
    void encodeUuid(const std::string& key, const std::optional<Uuid>& value);
    void encodeData(const std::string& key, const std::optional<std::vector<uint8_t>>& value);
    void encodeStringArray(const std::string& key,
                           const std::optional<std::vector<std::string>>& value);
    void encodeStringMap(const std::string& key,
                         const std::optional<std::map<std::string, std::string>>& value);
    void encodeObject(const std::string& key, const KeyedArchivable* object);
    template <class T>
    void encodeObjectArray(const std::string& key, const std::vector<std::shared_ptr<T>>& objects)
    {
        std::vector<const KeyedArchivable*> plain;
        for (const auto& object : objects)
            plain.push_back(object.get());
        encodeObjects(key, plain);
    }

    // The archive's bytes (CBOR).
    std::vector<uint8_t> finish() const;

private:
    static nlohmann::json encodedObject(const KeyedArchivable& object);
    void encodeObjects(const std::string& key, const std::vector<const KeyedArchivable*>& objects);

    nlohmann::json values_ = nlohmann::json::object();
};

} // namespace sonvale
