#include "platform/engine/lists/CueSheetPrescan.h"

#include "platform/engine/lists/ListText.h"

#include <charconv>

namespace sonvale::lists {
namespace {

using text::trimmed;

// Splits off the first word of `text`, leaving the rest trimmed.
std::string_view nextWord(std::string_view& text)
{
    text = trimmed(text);
    const auto end = text.find_first_of(" \t");
    const std::string_view word = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : trimmed(text.substr(end));
    return word;
}

std::string unquoted(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return std::string(text);
}

int numberOrMinusOne(std::string_view word)
{
    int value = -1;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size())
        return -1;
    return value;
}

// REM DATE and REM GENRE with a value; libcue skips every other remark or misreads it.
bool isRemarkForLibcue(std::string_view remark)
{
    const std::string_view field = nextWord(remark);
    return (field == "DATE" || field == "GENRE") && !remark.empty();
}

} // namespace

Status CueSheetPrescan::scan(std::string_view text)
{
    size_t lineNumber = 1;
    while (!text.empty()) {
        const auto end = text.find('\n');
        if (Status status = scanLine(text.substr(0, end), lineNumber); !status)
            return status;
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
        ++lineNumber;
    }
    return Status::success();
}

Status CueSheetPrescan::scanLine(std::string_view line, size_t lineNumber)
{
    if (line.size() > kMaxLineLength)
        return Status::failure("Line " + std::to_string(lineNumber) +
                               " of the CUE sheet is too long");
    const std::string_view fullLine = line;
    const std::string_view keyword = nextWord(line);
    if (keyword != "REM" || isRemarkForLibcue(line)) {
        libcueText_.append(fullLine);
        libcueText_.push_back('\n');
    }
    if (keyword == "TRACK") {
        trackNumbers_.push_back(numberOrMinusOne(nextWord(line)));
    } else if (keyword == "INDEX") {
        const int number = numberOrMinusOne(nextWord(line));
        if (number < 0 || number > kMaxIndexNumber)
            return Status::failure("Line " + std::to_string(lineNumber) +
                                   " of the CUE sheet has an invalid index number");
    } else if (keyword == "REM" && trackNumbers_.empty()) {
        const std::string_view field = nextWord(line);
        if (field == "DISCID")
            discId_ = unquoted(line);
        else if (field == "COMMENT")
            comment_ = unquoted(line);
        else if (field == "DISCNUMBER")
            discNumber_ = unquoted(line);
        else if (field == "TOTALDISCS")
            totalDiscs_ = unquoted(line);
    }
    return Status::success();
}

} // namespace sonvale::lists
