#include "platform/tqkit/TQKitTagValuesTextSource.h"

#include "platform/tqkit/TQKitPatternToken.h"
#include "platform/tqkit/TQKitUtf8.h"

namespace {

class DefaultSampleSource final : public TQKitTokenTextSource {
public:
    bool text(const TQKitPatternToken& token, std::string& out) const override
    {
        if (!token.key() || !token.key()->sample)
            return false;
        out = token.key()->sample;
        return true;
    }
};

} // namespace

TQKitTagValuesTextSource::TQKitTagValuesTextSource(const TQKitTagValues& values)
{
    for (const auto& [name, value] : values)
        lowerCaseValues_.emplace(TQKitTextToLower(name), value);
}

bool TQKitTagValuesTextSource::text(const TQKitPatternToken& token, std::string& out) const
{
    if (!token.key())
        return false;
    const auto found = lowerCaseValues_.find(TQKitTextToLower(token.key()->name));
    if (found == lowerCaseValues_.end())
        return false;
    out = found->second;
    return true;
}

std::unique_ptr<TQKitTokenTextSource> TQKitSampleTextSourceCreate(const TQKitTagValues* sampleObject)
{
    return sampleObject ? std::make_unique<TQKitTagValuesTextSource>(*sampleObject) : nullptr;
}

const TQKitTokenTextSource& TQKitDefaultSampleTextSource()
{
    static const DefaultSampleSource source;
    return source;
}
