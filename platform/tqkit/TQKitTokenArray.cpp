#include "platform/tqkit/TQKitTokenArray.h"

#include "platform/tqkit/TQKitPatternModifiers.h"

TQKitTokenArray::TQKitTokenArray(std::vector<const TQKitPatternToken*> tokens)
    : tokens_(std::move(tokens))
{
}

void TQKitTokenArray::clear()
{
    tokens_.clear();
    modFlags_ = 0;
}

std::string TQKitTokenArray::displayText() const { return TQKitModDescription(modFlags_); }
