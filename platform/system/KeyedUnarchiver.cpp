#include "platform/system/KeyedUnarchiver.h"

#include <new>
#include <stdexcept>

namespace sonvale {
namespace {

// The CBOR reader reports a syntax error as a discarded value, but a declared length it cannot
// hold (a map of 2^63 entries in nine bytes) throws even then: both count as damaged bytes.
nlohmann::json parsedArchive(const std::vector<uint8_t>& data)
{
    try {
        return nlohmann::json::from_cbor(data, true, false);
    } catch (const nlohmann::json::exception&) {
    } catch (const std::length_error&) {
    } catch (const std::bad_alloc&) {
    }
    return nlohmann::json(nlohmann::json::value_t::discarded);
}

} // namespace

KeyedUnarchiver::KeyedUnarchiver(const std::vector<uint8_t>& data,
                                 const KeyedArchiveRegistry& registry)
    : root_(parsedArchive(data)), values_(root_), registry_(registry), error_(ownError_)
{
    if (!root_.is_object())
        fail("The data is not a keyed archive.");
}

KeyedUnarchiver::KeyedUnarchiver(const nlohmann::json& values, const KeyedArchiveRegistry& registry,
                                 std::string& error)
    : values_(values), registry_(registry), error_(error)
{}

void KeyedUnarchiver::fail(std::string message)
{
    if (error_.empty())
        error_ = std::move(message);
}

const nlohmann::json* KeyedUnarchiver::valueOfKind(const std::string& key,
                                                   bool (nlohmann::json::*isKind)() const noexcept)
{
    if (!values_.is_object())
        return nullptr;
    const auto it = values_.find(key);
    if (it == values_.end() || it->is_null())
        return nullptr;
    if (!((*it).*isKind)()) {
        fail("The value for key \"" + key + "\" has the wrong type.");
        return nullptr;
    }
    return &*it;
}

bool KeyedUnarchiver::containsValueForKey(const std::string& key) const
{
    return values_.is_object() && values_.contains(key) && !values_[key].is_null();
}

std::optional<std::string> KeyedUnarchiver::decodeString(const std::string& key)
{
    if (const nlohmann::json* value = valueOfKind(key, &nlohmann::json::is_string))
        return value->get<std::string>();
    return std::nullopt;
}

int64_t KeyedUnarchiver::decodeInt64(const std::string& key)
{
    if (const nlohmann::json* value = valueOfKind(key, &nlohmann::json::is_number_integer))
        return value->get<int64_t>();
    return 0;
}

double KeyedUnarchiver::decodeDouble(const std::string& key)
{
    if (const nlohmann::json* value = valueOfKind(key, &nlohmann::json::is_number))
        return value->get<double>();
    return 0;
}

bool KeyedUnarchiver::decodeBool(const std::string& key)
{
    if (const nlohmann::json* value = valueOfKind(key, &nlohmann::json::is_boolean))
        return value->get<bool>();
    return false;
}

std::optional<TimePoint> KeyedUnarchiver::decodeDate(const std::string& key)
{
    if (const nlohmann::json* value = valueOfKind(key, &nlohmann::json::is_number_integer))
        return TimePoint(std::chrono::duration_cast<TimePoint::duration>(
            std::chrono::nanoseconds(value->get<int64_t>())));
    return std::nullopt;
}

std::optional<Uuid> KeyedUnarchiver::decodeUuid(const std::string& key)
{
    const nlohmann::json* value = valueOfKind(key, &nlohmann::json::is_binary);
    if (!value)
        return std::nullopt;
    const auto& bytes = value->get_binary();
    Uuid::Bytes raw{};
    if (bytes.size() != raw.size()) {
        fail("The value for key \"" + key + "\" is not a UUID.");
        return std::nullopt;
    }
    std::copy(bytes.begin(), bytes.end(), raw.begin());
    return Uuid(raw);
}

std::optional<std::vector<uint8_t>> KeyedUnarchiver::decodeData(const std::string& key)
{
    if (const nlohmann::json* value = valueOfKind(key, &nlohmann::json::is_binary))
        return std::vector<uint8_t>(value->get_binary().begin(), value->get_binary().end());
    return std::nullopt;
}

std::optional<std::vector<std::string>> KeyedUnarchiver::decodeStringArray(const std::string& key)
{
    const nlohmann::json* value = valueOfKind(key, &nlohmann::json::is_array);
    if (!value)
        return std::nullopt;
    std::vector<std::string> strings;
    for (const nlohmann::json& element : *value) {
        if (!element.is_string()) {
            fail("The array for key \"" + key + "\" holds a value that is not a string.");
            return std::nullopt;
        }
        strings.push_back(element.get<std::string>());
    }
    return strings;
}

std::optional<std::map<std::string, std::string>>
KeyedUnarchiver::decodeStringMap(const std::string& key)
{
    const nlohmann::json* value = valueOfKind(key, &nlohmann::json::is_object);
    if (!value)
        return std::nullopt;
    std::map<std::string, std::string> strings;
    for (auto it = value->begin(); it != value->end(); ++it) {
        if (!it->is_string()) {
            fail("The dictionary for key \"" + key + "\" holds a value that is not a string.");
            return std::nullopt;
        }
        strings[it.key()] = it->get<std::string>();
    }
    return strings;
}

std::shared_ptr<KeyedArchivable> KeyedUnarchiver::decodeObject(const std::string& key)
{
    const nlohmann::json* value = valueOfKind(key, &nlohmann::json::is_object);
    return value ? objectFrom(*value, key) : nullptr;
}

std::optional<std::vector<std::shared_ptr<KeyedArchivable>>>
KeyedUnarchiver::decodeObjects(const std::string& key)
{
    const nlohmann::json* value = valueOfKind(key, &nlohmann::json::is_array);
    if (!value)
        return std::nullopt;
    std::vector<std::shared_ptr<KeyedArchivable>> objects;
    for (const nlohmann::json& element : *value) {
        if (!element.is_object()) {
            fail("The array for key \"" + key + "\" holds a value that is not an object.");
            return std::nullopt;
        }
        objects.push_back(objectFrom(element, key));
        if (failed())
            return std::nullopt;
    }
    return objects;
}

std::shared_ptr<KeyedArchivable> KeyedUnarchiver::objectFrom(const nlohmann::json& value,
                                                             const std::string& key)
{
    const auto className = value.find("$class");
    if (className == value.end() || !className->is_string()) {
        fail("The object for key \"" + key + "\" names no class.");
        return nullptr;
    }
    std::shared_ptr<KeyedArchivable> object = registry_.create(className->get<std::string>());
    if (!object) {
        fail("The class \"" + className->get<std::string>() + "\" for key \"" + key +
             "\" is not allowed.");
        return nullptr;
    }
    KeyedUnarchiver nested(value, registry_, error_);
    object->initWithCoder(nested);
    return failed() ? nullptr : object;
}

} // namespace sonvale
