#include "crashes/TQTMCrashesUncaughtCXXExceptionHandlerManager.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

constexpr int kMaxFrames = 128;

using cxa_throw_function = void (*)(void*, std::type_info*, void (*)(void*));

// Registration state. None of it is ever destroyed, so that a terminate while the process exits
// still finds it. The throw entry reads only the flag, without the lock.
constinit std::mutex gMutex;
constinit std::atomic<bool> gInstalled{false};
constinit std::terminate_handler gPreviousTerminateHandler = nullptr;
constinit std::once_flag gRecordKeyOnce;
constinit pthread_key_t gRecordKey{};

// Under gMutex.
std::vector<crashes_cxx_exception_handler_t>& registeredHandlers()
{
    static auto* handlers = new std::vector<crashes_cxx_exception_handler_t>();
    return *handlers;
}

crashes_throw_site_record* throwSiteRecordOfThisThread()
{
    return static_cast<crashes_throw_site_record*>(pthread_getspecific(gRecordKey));
}

// Records the stack of the throw in progress, from the throw entry's frame on. Never inlined, so
// that exactly its own frame is the one to leave out.
[[gnu::noinline]] void recordThrowSite(void* thrownObject)
{
    auto* record = throwSiteRecordOfThisThread();
    if (record == nullptr) {
        record = static_cast<crashes_throw_site_record*>(std::calloc(1, sizeof(crashes_throw_site_record)));
        if (record == nullptr)
            return;
        if (pthread_setspecific(gRecordKey, record) != 0) {
            std::free(record);
            return;
        }
    }
    void* frames[kMaxFrames + 1];
    const int count = backtrace(frames, kMaxFrames + 1);
    record->thrownObject = thrownObject;
    record->frameCount = std::max(count - 1, 0);
    for (int i = 0; i < record->frameCount; ++i)
        record->frames[i] = reinterpret_cast<std::uintptr_t>(frames[i + 1]);
}

cxa_throw_function runtimeThrow()
{
    static const auto next = reinterpret_cast<cxa_throw_function>(dlsym(RTLD_NEXT, "__cxa_throw"));
    return next;
}

// The object an exception pointer refers to: the C++ library keeps exactly that address as the
// pointer's one member, the same address its throw entry was given.
const void* thrownObjectOf(const std::exception_ptr& exception)
{
    static_assert(sizeof(std::exception_ptr) == sizeof(void*));
    const void* object = nullptr;
    std::memcpy(&object, static_cast<const void*>(&exception), sizeof object);
    return object;
}

// The text the exception carries, when it is of a kind that carries one. The text lives in the
// exception object, which `exception` keeps alive.
const char* messageOf(const std::exception_ptr& exception)
{
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& caught) {
        return caught.what();
    } catch (const std::exception* caught) {
        return caught != nullptr ? caught->what() : nullptr;
    } catch (const std::string& caught) {
        return caught.c_str();
    } catch (const std::string* caught) {
        return caught != nullptr ? caught->c_str() : nullptr;
    } catch (const char* caught) {
        return caught;
    } catch (...) {
    }
    return nullptr;
}

thread_local bool tInsideTerminateHandler = false;

} // namespace

// The program's throw entry: every throw, in the program and in the libraries it loads, comes here
// first. Nothing else in the process carries exceptions of another language runtime through this
// entry, so while a handler is registered every throw is recorded.
extern "C" [[noreturn]] void __cxa_throw(void* thrownObject, std::type_info* type, void (*destructor)(void*))
{
    if (gInstalled.load(std::memory_order_acquire))
        recordThrowSite(thrownObject);
    const cxa_throw_function next = runtimeThrow();
    if (next == nullptr)
        std::abort();
    next(thrownObject, type, destructor);
    std::abort(); // the runtime's throw never returns
}

[[noreturn]] void crashes_terminate_handler()
{
    // A handler that itself ends in terminate comes back here: end the process at once.
    if (tInsideTerminateHandler)
        std::abort();
    tInsideTerminateHandler = true;

    const std::exception_ptr current = std::current_exception();
    std::unique_lock lock(gMutex);
    if (current) {
        crashes_cxx_exception_info info{};
        info.exception = thrownObjectOf(current);
        const std::type_info* type = abi::__cxa_current_exception_type();
        info.exceptionTypeName = type != nullptr ? type->name() : "";
        info.exceptionMessage = messageOf(current);

        // The record tells where this exception was thrown only when it is this exception's: one
        // rethrown from elsewhere, or thrown again after another throw on this thread, is not.
        std::uint64_t framesNow[kMaxFrames] = {};
        const crashes_throw_site_record* record = throwSiteRecordOfThisThread();
        if (record != nullptr && record->thrownObject == info.exception) {
            info.frames = record->frames + 1;
            info.frameCount = record->frameCount > 0 ? record->frameCount - 1 : 0;
        } else {
            void* frames[kMaxFrames];
            const int count = backtrace(frames, kMaxFrames);
            for (int i = 0; i < count; ++i)
                framesNow[i] = reinterpret_cast<std::uintptr_t>(frames[i]);
            info.frames = framesNow + 1;
            info.frameCount = count > 0 ? count - 1 : 0;
        }
        for (const crashes_cxx_exception_handler_t handler : registeredHandlers())
            handler(&info);
    }
    const std::terminate_handler previous = gPreviousTerminateHandler;
    lock.unlock();
    if (previous != nullptr)
        previous();
    std::abort();
}

void TQTMCrashesUncaughtCXXExceptionHandlerManager::addCXXExceptionHandler(crashes_cxx_exception_handler_t handler)
{
    std::call_once(gRecordKeyOnce, [] { pthread_key_create(&gRecordKey, std::free); });
    std::lock_guard lock(gMutex);
    if (!gInstalled.load()) {
        gPreviousTerminateHandler = std::set_terminate(crashes_terminate_handler);
        gInstalled.store(true, std::memory_order_release);
    }
    registeredHandlers().push_back(handler);
}

void TQTMCrashesUncaughtCXXExceptionHandlerManager::removeCXXExceptionHandler(crashes_cxx_exception_handler_t handler)
{
    std::lock_guard lock(gMutex);
    auto& handlers = registeredHandlers();
    if (const auto found = std::find(handlers.begin(), handlers.end(), handler); found != handlers.end())
        handlers.erase(found);
    if (!gInstalled.load() || !handlers.empty())
        return;
    const std::terminate_handler replaced = std::set_terminate(gPreviousTerminateHandler);
    if (replaced == crashes_terminate_handler) {
        gInstalled.store(false);
        gPreviousTerminateHandler = nullptr;
    } else {
        std::set_terminate(replaced);
    }
}

std::size_t TQTMCrashesUncaughtCXXExceptionHandlerManager::countCXXExceptionHandler()
{
    std::lock_guard lock(gMutex);
    return registeredHandlers().size();
}
