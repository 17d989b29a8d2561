#pragma once

#include "platform/system/Status.h"

#include <string>
#include <string_view>
#include <vector>

namespace sonvale::lists {

// A line-by-line pass over a decoded CUE sheet before libcue sees it. It keeps what libcue drops
// (the numbers of the TRACK lines, REM DISCID, REM COMMENT, REM DISCNUMBER and REM TOTALDISCS of
// the album), refuses what
// libcue's fixed buffers and tables cannot take safely (very long lines, index numbers that are
// not 0 to 99), and gives libcue only the remarks it reads (REM DATE and REM GENRE): its scanner
// echoes the rest of a REPLAYGAIN remark that has no value to standard output.
class CueSheetPrescan final {
public:
    static constexpr size_t kMaxLineLength = 900;
    static constexpr int kMaxIndexNumber = 99;

    Status scan(std::string_view text);

    const std::vector<int>& trackNumbers() const { return trackNumbers_; }
    const std::string& discId() const { return discId_; }
    const std::string& comment() const { return comment_; }
    const std::string& discNumber() const { return discNumber_; }
    const std::string& totalDiscs() const { return totalDiscs_; }
    // The text to hand to libcue, ending with a line end.
    const std::string& libcueText() const { return libcueText_; }

private:
    Status scanLine(std::string_view line, size_t lineNumber);

    std::vector<int> trackNumbers_;
    std::string discId_;
    std::string comment_;
    std::string discNumber_;
    std::string totalDiscs_;
    std::string libcueText_;
};

} // namespace sonvale::lists
