#pragma once

#include "platform/system/Exception.h"

struct crashes_cxx_exception_info;

// An uncaught C++ exception as the process's uncaught-exception handler takes it: named after the
// exception's type (demangled when the runtime can), with its message as the reason (empty when it
// has none) and the frames of its throw as the call stack. It keeps the description it was made
// from without copying or owning it, so it lives only as long as the terminate handler's call.
class TQTMCrashesCXXExceptionWrapperException final : public sonvale::Exception {
public:
    explicit TQTMCrashesCXXExceptionWrapperException(const crashes_cxx_exception_info* info);

    const crashes_cxx_exception_info* info() const { return info_; }

private:
    const crashes_cxx_exception_info* info_;
};

// The crash service's handler of uncaught C++ exceptions: hands the exception to the process's
// uncaught-exception handler (the crash engine's, which records it for the report), then ends the
// process. Runs on the terminating thread inside the terminate handler.
[[noreturn]] void crashes_cxx_exception_handler(const crashes_cxx_exception_info* info);
