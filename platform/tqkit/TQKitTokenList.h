#pragma once

// A token array that owns its tokens: they are released with the list (or by clear). Movable,
// not copyable; copy tokens with TQKitPatternToken::copy. Not synchronised.

#include "platform/tqkit/TQKitPatternToken.h"
#include "platform/tqkit/TQKitTokenArray.h"

#include <memory>

class TQKitTokenList final : public TQKitTokenArray {
public:
    TQKitTokenList() = default;
    ~TQKitTokenList() override;
    TQKitTokenList(TQKitTokenList&& other) noexcept;
    TQKitTokenList& operator=(TQKitTokenList&& other) noexcept;

    void clear() override;
    // Takes the token over; a null token is ignored.
    void append(std::unique_ptr<TQKitPatternToken> token);
    // Appends a copy of each token of `array`, in order.
    void appendCopies(const TQKitTokenArray& array);

private:
    void release();
};
