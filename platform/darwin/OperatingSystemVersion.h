#pragma once

namespace sonvale::darwin {

// The version of the operating system as a person names it (the distribution's VERSION_ID in
// os-release, e.g. "12" or "22.04"; the kernel release when that is missing). Reads files.
struct OperatingSystemVersion {
    long majorVersion = 0;
    long minorVersion = 0;
    long patchVersion = 0;
};

OperatingSystemVersion operatingSystemVersion();

} // namespace sonvale::darwin
