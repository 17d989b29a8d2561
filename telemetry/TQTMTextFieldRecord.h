#pragma once

#include "telemetry/TQTMSerializableObject.h"

#include <algorithm>

// One optional text field of a model class: its key, the same in the JSON and in the archive, and
// the member that holds it.
template <class Record>
struct TQTMTextField {
    const char* key;
    std::optional<std::string> Record::*member;
};

// A class's text fields, given as a range of TQTMTextField in the order they are written. A field
// is written only when set; the JSON is null when no field is set.
template <class Record, class Fields>
TQTMJson TQTMSerializeTextFields(const Record& record, const Fields& fields)
{
    TQTMJson dictionary;
    for (const auto& [key, member] : fields)
        if (const std::optional<std::string>& value = record.*member)
            dictionary[key] = *value;
    return dictionary;
}

template <class Record, class Fields>
bool TQTMTextFieldsEqual(const Record& a, const Record& b, const Fields& fields)
{
    return std::ranges::all_of(fields,
                               [&](const auto& field) { return a.*field.member == b.*field.member; });
}

template <class Record, class Fields>
void TQTMEncodeTextFields(sonvale::KeyedArchiver& coder, const Record& record, const Fields& fields)
{
    for (const auto& [key, member] : fields)
        coder.encodeString(key, record.*member);
}

template <class Record, class Fields>
void TQTMDecodeTextFields(sonvale::KeyedUnarchiver& coder, Record& record, const Fields& fields)
{
    for (const auto& [key, member] : fields)
        record.*member = coder.decodeString(key);
}

// A model object made of optional text fields. `Record` names itself in kArchiveClassName and
// lists its fields once, after declaring them, as
//     static constexpr TextField kTextFields[] = {{"key", &Record::member_}, ...};
// befriending this base so that it can read the list. A record with a field of another type, or a
// rule of its own, extends the methods it needs and calls these first.
template <class Record>
class TQTMTextFieldRecord : public TQTMSerializableObject {
public:
    TQTMJson serializeToDictionary() const override
    {
        return TQTMSerializeTextFields(record(), Record::kTextFields);
    }
    // Equal when `other` is a Record (or a subclass) with the same text fields.
    bool isEqual(const TQTMSerializableObject& other) const override
    {
        const auto* same = dynamic_cast<const Record*>(&other);
        return same && TQTMTextFieldsEqual(record(), *same, Record::kTextFields);
    }

    std::string_view archiveClassName() const override { return Record::kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override
    {
        TQTMEncodeTextFields(coder, record(), Record::kTextFields);
    }
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override
    {
        TQTMDecodeTextFields(coder, record(), Record::kTextFields);
    }

protected:
    using TextField = TQTMTextField<Record>;

private:
    const Record& record() const { return static_cast<const Record&>(*this); }
    Record& record() { return static_cast<Record&>(*this); }
};
