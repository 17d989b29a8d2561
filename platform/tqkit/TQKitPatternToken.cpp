#include "platform/tqkit/TQKitPatternToken.h"

namespace {

bool hasDigits(const TQKitTagKey* key) { return key && key->minDigits > 0; }

int digitsFor(const TQKitTagKey& key, int digits)
{
    return hasDigits(&key) && digits >= key.minDigits && digits <= key.maxDigits
               ? digits
               : TQKitPatternToken::kDefaultDigits;
}

} // namespace

TQKitPatternToken::TQKitPatternToken(const TQKitTagKey* key, std::string text, int digits)
    : key_(key), text_(std::move(text)), digits_(digits)
{
}

std::unique_ptr<TQKitPatternToken> TQKitPatternToken::makeKey(const TQKitTagKey& key,
                                                              std::string spelling, int digits)
{
    return std::unique_ptr<TQKitPatternToken>(
        new TQKitPatternToken(&key, std::move(spelling), digitsFor(key, digits)));
}

std::unique_ptr<TQKitPatternToken> TQKitPatternToken::makeLiteral(std::string text)
{
    return std::unique_ptr<TQKitPatternToken>(
        new TQKitPatternToken(nullptr, std::move(text), kDefaultDigits));
}

std::unique_ptr<TQKitPatternToken> TQKitPatternToken::copy() const
{
    return std::unique_ptr<TQKitPatternToken>(new TQKitPatternToken(*this));
}

uint8_t TQKitPatternToken::flags() const { return isKey() ? kTQKitTokenIsKey : kTQKitTokenHasOwnPattern; }

uint8_t TQKitPatternToken::formatFlags() const
{
    return hasDigits(key_) ? kTQKitTokenNumberFormatting : 0;
}

std::string TQKitPatternToken::textDisplay() const { return key_ ? key_->displayText : text_; }

std::string TQKitPatternToken::textPattern() const
{
    if (!key_)
        return text_;
    if (hasDigits(key_) && digits_ != kDefaultDigits)
        return "{{" + text_ + ":" + std::to_string(digits_) + "}}";
    return "{{" + text_ + "}}";
}

bool TQKitPatternToken::msgctl(uint32_t command, int32_t* value)
{
    if (!hasDigits(key_) || !value)
        return false;
    switch (command) {
    case kTQKitTokenQueryMinDigits:
        *value = key_->minDigits;
        return true;
    case kTQKitTokenQueryMaxDigits:
        *value = key_->maxDigits;
        return true;
    case kTQKitTokenQueryDigits:
        *value = digits_;
        return true;
    case kTQKitTokenSetDigits:
        if (*value < key_->minDigits || *value > key_->maxDigits)
            return false;
        digits_ = *value;
        return true;
    default:
        return false;
    }
}
