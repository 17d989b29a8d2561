#pragma once

#include "telemetry/TQTMModelField.h"

// One optional text field of a model class.
template <class Record>
using TQTMTextField = TQTMModelField<Record, std::optional<std::string>>;

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
        // Null when no field is set.
        TQTMJson dictionary;
        TQTMPutFields(dictionary, record(), Record::kTextFields);
        return dictionary;
    }
    // Equal when `other` is a Record (or a subclass) with the same text fields.
    bool isEqual(const TQTMSerializableObject& other) const override
    {
        const auto* same = dynamic_cast<const Record*>(&other);
        return same && TQTMFieldsEqual(record(), *same, Record::kTextFields);
    }

    std::string_view archiveClassName() const override { return Record::kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override
    {
        TQTMEncodeFields(coder, record(), Record::kTextFields);
    }
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override
    {
        TQTMDecodeFields(coder, record(), Record::kTextFields);
    }

protected:
    using TextField = TQTMTextField<Record>;

private:
    const Record& record() const { return static_cast<const Record&>(*this); }
    Record& record() { return static_cast<Record&>(*this); }
};
