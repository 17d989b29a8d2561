#pragma once

#include <cstdint>

namespace sonvale::darwin {

// The path of the running executable (/proc/self/exe), zero-terminated. Same contract as the
// Darwin call: when `*size` is too small, returns -1 and sets `*size` to the size needed; else 0.
int NSGetExecutablePath(char* buffer, std::uint32_t* size);

} // namespace sonvale::darwin
