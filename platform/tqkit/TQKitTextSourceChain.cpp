#include "platform/tqkit/TQKitTextSourceChain.h"

TQKitTextSourceChain::TQKitTextSourceChain(std::initializer_list<const TQKitTokenTextSource*> sources)
{
    for (const TQKitTokenTextSource* source : sources) {
        if (source)
            sources_.push_back(source);
    }
}

bool TQKitTextSourceChain::text(const TQKitPatternToken& token, std::string& out) const
{
    for (const TQKitTokenTextSource* source : sources_) {
        if (source->text(token, out))
            return true;
    }
    return false;
}
