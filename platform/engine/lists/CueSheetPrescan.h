#pragma once

#include "platform/system/Status.h"

#include <string>
#include <string_view>
#include <vector>

namespace sonvale::lists {

// A line-by-line pass over a decoded CUE sheet before libcue sees it. It keeps what libcue drops
// (the numbers of the TRACK lines, REM DISCID and REM COMMENT of the album) and refuses what
// libcue's fixed buffers and tables cannot take safely (very long lines, index numbers past 99).
class CueSheetPrescan final {
public:
    static constexpr size_t kMaxLineLength = 900;
    static constexpr int kMaxIndexNumber = 99;

    Status scan(std::string_view text);

    const std::vector<int>& trackNumbers() const { return trackNumbers_; }
    const std::string& discId() const { return discId_; }
    const std::string& comment() const { return comment_; }

private:
    Status scanLine(std::string_view line, size_t lineNumber);

    std::vector<int> trackNumbers_;
    std::string discId_;
    std::string comment_;
};

} // namespace sonvale::lists
