#include "platform/tqkit/TQKitStoredRecord.h"

#include "platform/tqkit/TQKitSettings.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kSection = "TQKitSettingsRecords";

} // namespace

struct TQKitStoredRecord::Fields {
    nlohmann::json object = nlohmann::json::object();

    const nlohmann::json* find(const char* field) const
    {
        const auto found = object.find(field);
        return found == object.end() ? nullptr : &*found;
    }
    // Integers stored as integers only: a text or a fraction is not a valid integer field.
    bool integer(const char* field, int64_t& out) const
    {
        const nlohmann::json* value = find(field);
        if (!value || !value->is_number_integer())
            return false;
        out = value->get<int64_t>();
        return true;
    }
};

TQKitStoredRecord::TQKitStoredRecord() : fields_(std::make_unique<Fields>()) {}
TQKitStoredRecord::~TQKitStoredRecord() = default;
TQKitStoredRecord::TQKitStoredRecord(TQKitStoredRecord&&) noexcept = default;

TQKitStoredRecord TQKitStoredRecord::load(const char* name)
{
    TQKitStoredRecord record;
    const std::string stored = TQKitSettingReadText(kSection, name);
    nlohmann::json parsed = nlohmann::json::parse(stored, nullptr, false);
    if (!parsed.is_discarded() && parsed.is_object())
        record.fields_->object = std::move(parsed);
    return record;
}

void TQKitStoredRecord::remove(const char* name) { TQKitSettingRemove(kSection, name); }

void TQKitStoredRecord::save(const char* name) const
{
    const std::string text =
        fields_->object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    TQKitSettingWriteText(kSection, name, text.c_str());
}

bool TQKitStoredRecord::flag(const char* field, bool fallback) const
{
    const nlohmann::json* value = fields_->find(field);
    if (value && value->is_boolean())
        return value->get<bool>();
    int64_t number = 0;
    if (fields_->integer(field, number) && (number == 0 || number == 1))
        return number == 1;
    return fallback;
}

int32_t TQKitStoredRecord::integerOf(const char* field, int32_t fallback,
                                     std::initializer_list<int32_t> allowed) const
{
    int64_t number = 0;
    if (fields_->integer(field, number) &&
        std::find(allowed.begin(), allowed.end(), number) != allowed.end())
        return static_cast<int32_t>(number);
    return fallback;
}

int32_t TQKitStoredRecord::integerIn(const char* field, int32_t fallback, int32_t min,
                                     int32_t max) const
{
    int64_t number = 0;
    if (fields_->integer(field, number) && number >= min && number <= max)
        return static_cast<int32_t>(number);
    return fallback;
}

double TQKitStoredRecord::realIn(const char* field, double fallback, double min, double max) const
{
    const nlohmann::json* value = fields_->find(field);
    if (!value || !value->is_number())
        return fallback;
    const double number = value->get<double>();
    return std::isfinite(number) && number >= min && number <= max ? number : fallback;
}

std::string TQKitStoredRecord::text(const char* field) const
{
    const nlohmann::json* value = fields_->find(field);
    return value && value->is_string() ? value->get<std::string>() : std::string();
}

void TQKitStoredRecord::set(const char* field, bool value) { fields_->object[field] = value; }
void TQKitStoredRecord::set(const char* field, int32_t value) { fields_->object[field] = value; }
void TQKitStoredRecord::set(const char* field, double value) { fields_->object[field] = value; }
void TQKitStoredRecord::set(const char* field, const std::string& value)
{
    fields_->object[field] = value;
}
