#pragma once

#include "platform/system/Clock.h"

#include <optional>
#include <string>
#include <vector>

namespace sonvale {

// Facts about the machine and the user's environment, read from the kernel, /sys, /etc and the
// locale variables. Each call reads afresh; nothing is cached. Safe from any thread.
namespace hostinfo {

// The operating system as every report of this program names it: crash reports and the device
// record carry the same texts.
struct OperatingSystemDescription {
    std::string name;    // "Linux"
    std::string version; // the distribution's VERSION_ID as written ("12", "22.04"); else the kernel release
    std::string build;   // the kernel release as written ("6.1.0-18-amd64"); "unknown" when unreadable
};
OperatingSystemDescription operatingSystemDescription();
// A value of /etc/os-release (e.g. "PRETTY_NAME"), without quotes.
std::optional<std::string> osReleaseValue(const std::string& name);
// A firmware value from /sys/class/dmi/id (e.g. "product_name", "sys_vendor").
std::optional<std::string> dmiValue(const std::string& name);
// The user's languages in order of preference, as POSIX locale names ("sr_RS@latin", "en_US"):
// $LANGUAGE, then the locale of messages ($LC_ALL, $LC_MESSAGES, $LANG). "C" and "POSIX" left out.
std::vector<std::string> preferredLanguages();
// The locale of formats ($LC_ALL, $LC_CTYPE, $LANG); empty when unset or "C"/"POSIX".
std::string currentLocaleName();
// Minutes east of UTC of the local time zone at the given time ($TZ honoured).
int utcOffsetMinutes(TimePoint at);

} // namespace hostinfo
} // namespace sonvale
