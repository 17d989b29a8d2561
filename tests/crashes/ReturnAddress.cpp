#include "tests/crashes/ReturnAddress.h"

#include <dlfcn.h>

namespace sonvale::test {

bool isReturnAddressIn(std::uint64_t returnAddress, void (*function)())
{
    Dl_info info{};
    return returnAddress != 0 && dladdr(reinterpret_cast<void*>(returnAddress - 1), &info) != 0 &&
           info.dli_saddr == reinterpret_cast<void*>(function);
}

} // namespace sonvale::test
