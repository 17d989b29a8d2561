#pragma once

#include <cstdint>

namespace sonvale::test {

// Whether `returnAddress` lies in `function`, by the executable's exported symbols (the test is
// linked with its symbols exported; `function` must have external linkage). A return address may
// point just past its function when the call is the function's last instruction.
bool isReturnAddressIn(std::uint64_t returnAddress, void (*function)());

} // namespace sonvale::test
