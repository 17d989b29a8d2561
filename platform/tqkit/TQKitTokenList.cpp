#include "platform/tqkit/TQKitTokenList.h"

TQKitTokenList::~TQKitTokenList() { release(); }

TQKitTokenList::TQKitTokenList(TQKitTokenList&& other) noexcept : TQKitTokenArray(std::move(other))
{
    other.tokens_.clear();
}

TQKitTokenList& TQKitTokenList::operator=(TQKitTokenList&& other) noexcept
{
    if (this != &other) {
        release();
        TQKitTokenArray::operator=(std::move(other));
        other.tokens_.clear();
    }
    return *this;
}

void TQKitTokenList::clear()
{
    release();
    TQKitTokenArray::clear();
}

void TQKitTokenList::append(std::unique_ptr<TQKitPatternToken> token)
{
    if (token)
        tokens_.push_back(token.release());
}

void TQKitTokenList::appendCopies(const TQKitTokenArray& array)
{
    for (const TQKitPatternToken* token : array.tokens()) {
        if (token)
            append(token->copy());
    }
}

void TQKitTokenList::release()
{
    for (const TQKitPatternToken* token : tokens_)
        delete token;
    tokens_.clear();
}
