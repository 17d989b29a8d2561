#pragma once

// Key texts from a set of tag values, and the sample values the pattern editor shows.

#include "platform/tqkit/TQKitTokenTextSource.h"

#include <memory>

class TQKitTagValuesTextSource final : public TQKitTokenTextSource {
public:
    explicit TQKitTagValuesTextSource(const TQKitTagValues& values);
    bool text(const TQKitPatternToken& token, std::string& out) const override;

private:
    TQKitTagValues lowerCaseValues_; // keyed by the lower-case name
};

// A source over the tag values of a sample object; null when there is no object.
std::unique_ptr<TQKitTokenTextSource> TQKitSampleTextSourceCreate(const TQKitTagValues* sampleObject);

// The invented sample value of every key (TQKitTagKey::sample). Lives for the whole process.
const TQKitTokenTextSource& TQKitDefaultSampleTextSource();
