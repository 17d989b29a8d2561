#pragma once

// Asks several text sources in order; the first that has a text for a token answers. Null slots
// are skipped. The chain refers to its sources, which must outlive it.

#include "platform/tqkit/TQKitTokenTextSource.h"

#include <initializer_list>
#include <vector>

class TQKitTextSourceChain final : public TQKitTokenTextSource {
public:
    TQKitTextSourceChain(std::initializer_list<const TQKitTokenTextSource*> sources);
    bool text(const TQKitPatternToken& token, std::string& out) const override;

private:
    std::vector<const TQKitTokenTextSource*> sources_;
};
