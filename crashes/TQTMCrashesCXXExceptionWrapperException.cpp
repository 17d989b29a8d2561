#include "crashes/TQTMCrashesCXXExceptionWrapperException.h"

#include "crashes/TQTMCrashesUncaughtCXXExceptionHandlerManager.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string demangledTypeName(const char* typeName)
{
    if (typeName == nullptr)
        return {};
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(typeName, nullptr, nullptr, &status), std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(typeName);
}

std::vector<std::uint64_t> returnAddressesOf(const crashes_cxx_exception_info* info)
{
    return {info->frames, info->frames + info->frameCount};
}

} // namespace

TQTMCrashesCXXExceptionWrapperException::TQTMCrashesCXXExceptionWrapperException(const crashes_cxx_exception_info* info)
    : sonvale::Exception(demangledTypeName(info->exceptionTypeName),
                         info->exceptionMessage != nullptr ? info->exceptionMessage : "", returnAddressesOf(info)),
      info_(info)
{}

void crashes_cxx_exception_handler(const crashes_cxx_exception_info* info)
{
    const sonvale::UncaughtExceptionHandler handler = sonvale::uncaughtExceptionHandler();
    const TQTMCrashesCXXExceptionWrapperException exception(info);
    if (handler != nullptr)
        handler(exception);
    std::abort();
}
