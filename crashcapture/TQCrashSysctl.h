#pragma once

#include <cstdint>

namespace tqcrash {

// A named system text as a malloc'd C string the caller frees, or null with errno kept.
// Allocates: not for the crash path.
char* sysctl_string_copy(const char* name);

// A named 32-bit system value; false when it cannot be read.
bool sysctl_int_read(const char* name, std::int32_t* value);

} // namespace tqcrash
