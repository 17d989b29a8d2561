#include "telemetry/TQTMUtility.h"

#include <cctype>
#include <cstdio>

namespace {

// The client's identity record, kept whole in its own section so that it can be read from the
// binary: a format byte, then the name, the version and a revision, each NUL-padded to 32 bytes.
struct SdkIdentity {
    char format;
    char name[32];
    char version[32];
    char revision[32];
};
static_assert(sizeof(SdkIdentity) == 97);

[[gnu::section(".tqtm_sdk_identity"), gnu::used]] constexpr SdkIdentity kSdkIdentity = {
    1, "telemetry.macos", "2.1.0", "1"};

// Reads `count` digits at `text[at]`; -1 when any is not a digit.
int digitsAt(std::string_view text, size_t at, size_t count)
{
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

std::string TQTMUtility::sdkName()
{
    return kSdkIdentity.name;
}

std::string TQTMUtility::sdkVersion()
{
    return kSdkIdentity.version;
}

int TQTMUtility::currentAppEnvironment()
{
    return 99;
}

double TQTMUtility::nowInMilliseconds(const sonvale::Clock& clock)
{
    return std::chrono::duration<double, std::milli>(clock.now().time_since_epoch()).count();
}

std::string TQTMUtility::dateToISO8601(sonvale::TimePoint date)
{
    using namespace std::chrono;
    const auto milliseconds = floor<std::chrono::milliseconds>(date);
    const auto day = floor<days>(milliseconds);
    const year_month_day calendarDay{day};
    const hh_mm_ss time{milliseconds - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                  static_cast<int>(calendarDay.year()), static_cast<unsigned>(calendarDay.month()),
                  static_cast<unsigned>(calendarDay.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()),
                  static_cast<int>(time.subseconds().count()));
    return text;
}

std::optional<sonvale::TimePoint> TQTMUtility::dateFromISO8601(std::string_view text)
{
    using namespace std::chrono;
    // yyyy-MM-ddTHH:mm:ss.SSSZ
    if (text.size() != 24 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != '.' || text[23] != 'Z')
        return std::nullopt;
    const int y = digitsAt(text, 0, 4), mo = digitsAt(text, 5, 2), d = digitsAt(text, 8, 2);
    const int h = digitsAt(text, 11, 2), mi = digitsAt(text, 14, 2), s = digitsAt(text, 17, 2);
    const int ms = digitsAt(text, 20, 3);
    const year_month_day day{year(y), month(static_cast<unsigned>(mo)),
                             std::chrono::day(static_cast<unsigned>(d))};
    if (y < 0 || mo < 0 || d < 0 || ms < 0 || !day.ok() || h < 0 || h > 23 || mi < 0 || mi > 59 ||
        s < 0 || s > 59)
        return std::nullopt;
    return sonvale::TimePoint(sys_days(day) + hours(h) + minutes(mi) + seconds(s) +
                              milliseconds(ms));
}
