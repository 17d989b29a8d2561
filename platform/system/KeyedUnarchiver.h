#pragma once

#include "platform/system/Clock.h"
#include "platform/system/KeyedArchiveRegistry.h"
#include "platform/system/Uuid.h"

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace sonvale {

// Reads a keyed archive written by KeyedArchiver. Only classes of the registry are created; an
// unknown class, a value of the wrong kind or damaged bytes mark the unarchiver failed (the first
// error is kept), and a caller then treats the whole archive as unreadable. Absent keys read as
// nothing (or zero/false for numbers and booleans) without failing.
class KeyedUnarchiver final {
public:
    KeyedUnarchiver(const std::vector<uint8_t>& data, const KeyedArchiveRegistry& registry);
    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

    bool containsValueForKey(const std::string& key) const;

    std::optional<std::string> decodeString(const std::string& key);
    int64_t decodeInt64(const std::string& key);
    double decodeDouble(const std::string& key);
    bool decodeBool(const std::string& key);
    std::optional<TimePoint> decodeDate(const std::string& key);
    std::optional<Uuid> decodeUuid(const std::string& key);
    std::optional<std::vector<uint8_t>> decodeData(const std::string& key);
    std::optional<std::vector<std::string>> decodeStringArray(const std::string& key);
    std::optional<std::map<std::string, std::string>> decodeStringMap(const std::string& key);

    std::shared_ptr<KeyedArchivable> decodeObject(const std::string& key);
    // An object of class T (or a subclass); another class fails the archive.
    template <class T>
    std::shared_ptr<T> decodeObjectOfClass(const std::string& key)
    {
        return checkedCast<T>(decodeObject(key), key);
    }
    template <class T>
    std::optional<std::vector<std::shared_ptr<T>>>
    decodeArrayOfObjectsOfClass(const std::string& key)
    {
        std::optional<std::vector<std::shared_ptr<KeyedArchivable>>> objects = decodeObjects(key);
        if (!objects)
            return std::nullopt;
        std::vector<std::shared_ptr<T>> typed;
        for (auto& object : *objects)
            typed.push_back(checkedCast<T>(std::move(object), key));
        if (failed())
            return std::nullopt;
        return typed;
    }

private:
    KeyedUnarchiver(const nlohmann::json& values, const KeyedArchiveRegistry& registry,
                    std::string& error);

    template <class T>
    std::shared_ptr<T> checkedCast(std::shared_ptr<KeyedArchivable> object, const std::string& key)
    {
        if (!object)
            return nullptr;
        auto typed = std::dynamic_pointer_cast<T>(object);
        if (!typed)
            fail("The value for key \"" + key + "\" is of unexpected class \"" +
                 std::string(object->archiveClassName()) + "\".");
        return typed;
    }

    // The value under the key when it has the expected kind; fails the archive for another kind.
    const nlohmann::json* valueOfKind(const std::string& key,
                                      bool (nlohmann::json::*isKind)() const noexcept);
    std::shared_ptr<KeyedArchivable> objectFrom(const nlohmann::json& value,
                                                const std::string& key);
    std::optional<std::vector<std::shared_ptr<KeyedArchivable>>>
    decodeObjects(const std::string& key);
    void fail(std::string message);

    nlohmann::json root_;
    const nlohmann::json& values_;
    const KeyedArchiveRegistry& registry_;
    std::string ownError_;
    std::string& error_;
};

} // namespace sonvale
