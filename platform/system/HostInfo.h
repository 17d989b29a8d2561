#pragma once

#include "platform/system/Clock.h"

#include <optional>
#include <string>
#include <vector>

namespace sonvale {

// Facts about the machine and the user's environment, read from the kernel, /sys, /etc and the
// locale variables. Each call reads afresh; nothing is cached. Safe from any thread.
namespace hostinfo {

// The running kernel's version as "major.minor.patch" (missing parts 0); "0.0.0" when unknown.
std::string kernelVersion();
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
