#pragma once

// One token of a tag pattern: a key ("{{artist}}", a tag value filled in when a name is made) or a
// run of literal text. A key keeps the spelling it was written with, so writing a parsed pattern
// gives the text back; number keys (track, disc and movement numbers) also carry the number of
// digits their value is padded to, written as "{{trackNumber:3}}" unless it is the default 2.
// A token is a plain value: copies never share anything. Not synchronised; one owner at a time.

#include "platform/tqkit/TQKitTagKeys.h"

#include <cstdint>
#include <memory>
#include <string>

// Bits of TQKitPatternToken::flags().
enum TQKitPatternTokenFlag : uint8_t {
    kTQKitTokenIsKey = 0x01,
    kTQKitTokenHasOwnPattern = 0x02, // literal text: its pattern text is the text itself
};
// Bits of TQKitPatternToken::formatFlags().
enum TQKitPatternTokenFormatFlag : uint8_t {
    kTQKitTokenNumberFormatting = 0x01, // a number key whose digits can be chosen
};

// Commands of TQKitPatternToken::msgctl, with a 32-bit value in and out.
enum TQKitPatternTokenCommand : uint32_t {
    kTQKitTokenQueryMinDigits = 0x0BBE1CDE,
    kTQKitTokenQueryMaxDigits = 0x042E2B02,
    kTQKitTokenQueryDigits = 0x0E14501C,
    kTQKitTokenSetDigits = 0x0E4A1EFE,
};

class TQKitPatternToken final {
public:
    static constexpr int kDefaultDigits = 2;

    // A key token with the spelling it was written with; digits outside the key's range (or any
    // digits for a key without them) give the default.
    static std::unique_ptr<TQKitPatternToken> makeKey(const TQKitTagKey& key, std::string spelling,
                                                      int digits = kDefaultDigits);
    static std::unique_ptr<TQKitPatternToken> makeLiteral(std::string text);

    std::unique_ptr<TQKitPatternToken> copy() const;

    uint8_t flags() const;
    uint8_t formatFlags() const;
    bool isKey() const { return key_ != nullptr; }
    const TQKitTagKey* key() const { return key_; }
    const std::string& literalText() const { return text_; }
    int digits() const { return digits_; }

    // Keys: their menu text ("Track Number"); literal text: the text.
    std::string textDisplay() const;
    // Keys: "{{spelling}}" or "{{spelling:digits}}"; literal text: the text.
    std::string textPattern() const;

    // Answers the digits queries and sets the digits (number keys only, within their range).
    // False for any other command or token, leaving *value alone.
    bool msgctl(uint32_t command, int32_t* value);

private:
    TQKitPatternToken(const TQKitTagKey* key, std::string text, int digits);

    const TQKitTagKey* key_; // null for literal text
    std::string text_;       // the key's spelling, or the literal text
    int digits_;
};
