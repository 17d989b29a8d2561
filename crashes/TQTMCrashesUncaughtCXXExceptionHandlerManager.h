#pragma once

#include <cstddef>
#include <cstdint>

// Uncaught C++ exceptions with the stack they were thrown from.
//
// By the time the runtime calls the terminate handler for an exception nobody caught, the stack of
// the throw may be gone. So the program carries its own `__cxa_throw`: while a handler is
// registered, every throw first records a backtrace in a record of the throwing thread, then goes
// on to the runtime's throw. The terminate handler installed here describes the uncaught exception
// (type, message, the frames of its throw) and hands that description to the registered handlers,
// then ends in the terminate handler that was in place before.
//
// Every executable that links the crash service carries the throw entry and exports it, so throws
// in the program, in its static libraries and in the shared libraries it loads (Qt, the C++
// library itself) all pass through it.

// The last throw of one thread. Made zero-filled on the thread's first throw while a handler is
// registered; freed when the thread ends.
struct crashes_throw_site_record {
    void* thrownObject;
    std::uint64_t frames[128]; // return addresses, the throw entry's own first
    std::int32_t frameCount;
};

// An uncaught exception as the handlers see it. Lives on the terminate handler's stack while the
// handlers run; every pointer in it is valid only until they return.
struct crashes_cxx_exception_info {
    const void* exception;           // the thrown object
    const char* exceptionTypeName;   // as the runtime's type information names it (mangled)
    const char* exceptionMessage;    // null when the exception carries no text
    std::uint32_t frameCount;
    const std::uint64_t* frames;     // return addresses of the throw, the thrower's frame first
};

using crashes_cxx_exception_handler_t = void (*)(const crashes_cxx_exception_info* info);

// The registered handlers and the terminate handler that calls them. Any thread; the handlers run
// on the thread whose exception was not caught, one terminating thread at a time.
class TQTMCrashesUncaughtCXXExceptionHandlerManager final {
public:
    TQTMCrashesUncaughtCXXExceptionHandlerManager() = delete;

    // Appends the handler (the same one twice is called twice). The first registration installs
    // the terminate handler and keeps the one it replaces.
    static void addCXXExceptionHandler(crashes_cxx_exception_handler_t handler);
    // Removes the first registration of the handler. Removing the last one puts the previous
    // terminate handler back; when someone installed another terminate handler after ours, that
    // one stays in place and ours stays installed below it.
    static void removeCXXExceptionHandler(crashes_cxx_exception_handler_t handler);
    static std::size_t countCXXExceptionHandler();
};

// The terminate handler installed by the first registration.
[[noreturn]] void crashes_terminate_handler();
