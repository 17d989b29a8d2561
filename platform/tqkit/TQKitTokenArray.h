#pragma once

// A sequence of pattern tokens with the pattern's mod flags (TQKitPatternModifiers.h) and the
// pattern flags it is written and rendered with (TQKitPattern.h). A TQKitTokenArray only refers
// to tokens that live elsewhere; TQKitTokenList owns its tokens. Not synchronised.

#include <cstdint>
#include <string>
#include <vector>

class TQKitPatternToken;

class TQKitTokenArray {
public:
    TQKitTokenArray() = default;
    // An array over tokens owned by the caller, which must outlive it.
    explicit TQKitTokenArray(std::vector<const TQKitPatternToken*> tokens);
    virtual ~TQKitTokenArray() = default;
    TQKitTokenArray(const TQKitTokenArray&) = delete;
    TQKitTokenArray& operator=(const TQKitTokenArray&) = delete;

    // Empties the array and sets its mod flags to 0.
    virtual void clear();

    const std::vector<const TQKitPatternToken*>& tokens() const { return tokens_; }
    bool empty() const { return tokens_.empty(); }
    size_t size() const { return tokens_.size(); }

    uint32_t modFlags() const { return modFlags_; }
    void setModFlags(uint32_t modFlags) { modFlags_ = modFlags; }
    uint32_t patternFlags() const { return patternFlags_; }
    void setPatternFlags(uint32_t patternFlags) { patternFlags_ = patternFlags; }

    // What the modifiers do, in words, for the title of a pattern menu item; empty when none.
    std::string displayText() const;

protected:
    TQKitTokenArray(TQKitTokenArray&&) noexcept = default;
    TQKitTokenArray& operator=(TQKitTokenArray&&) noexcept = default;

    std::vector<const TQKitPatternToken*> tokens_;
    uint32_t modFlags_ = 0;
    uint32_t patternFlags_ = 0;
};
