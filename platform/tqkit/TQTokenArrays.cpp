#include "platform/tqkit/TQTokenArrays.h"

#include "platform/tqkit/TQKitPattern.h"

TQKitTokenList TQTokenArrayWithString(std::string_view text, uint32_t patternFlags,
                                      uint32_t* modFlags)
{
    TQKitTokenList list;
    TQKitPatternParse(&list, text, patternFlags);
    if (modFlags)
        *modFlags = list.modFlags();
    return list;
}

std::string TQTokenArrayPattern(const TQKitTokenArray& array, uint32_t patternFlags,
                                uint32_t modFlags)
{
    TQKitTokenList list;
    list.appendCopies(array);
    TQKitPatternApplyFlags(&list, patternFlags);
    list.setModFlags(modFlags);
    return TQKitPatternJoin(list);
}

TQKitTokenList TQTokenArrayJoin(const TQKitTokenArray& array)
{
    return TQTokenArrayWithString(TQTokenArrayPattern(array, 0, 0), 0, nullptr);
}

TQKitTokenList TQTokenArraySplit(const TQKitTokenArray& array)
{
    TQKitTokenList split;
    TQKitTokenListSplit(&split, array);
    return split;
}

void TQTokenArrayAppendText(TQKitTokenList* list, std::string_view text)
{
    if (list && !text.empty())
        list->append(TQKitPatternTokenFromText(text, false));
}
