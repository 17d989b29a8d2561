#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace sonvale {

// The platform's exception object: raised by code that reports a failure this way, and handed to
// the process's uncaught-exception handler. It carries a name, a reason (empty when there is none)
// and the return addresses of the stack it stands for, innermost first. Immutable.
class Exception : public std::exception {
public:
    Exception(std::string name, std::string reason, std::vector<std::uint64_t> callStackReturnAddresses = {});

    const std::string& name() const { return name_; }
    const std::string& reason() const { return reason_; }
    const std::vector<std::uint64_t>& callStackReturnAddresses() const { return callStackReturnAddresses_; }
    // The reason.
    const char* what() const noexcept override;

private:
    std::string name_;
    std::string reason_;
    std::vector<std::uint64_t> callStackReturnAddresses_;
};

// The process's handler of exceptions nobody else handles: set by the crash engine when it is
// enabled, read by whoever reports such an exception. None until set. Safe from any thread.
using UncaughtExceptionHandler = void (*)(const Exception& exception);
UncaughtExceptionHandler uncaughtExceptionHandler();
void setUncaughtExceptionHandler(UncaughtExceptionHandler handler);

} // namespace sonvale
