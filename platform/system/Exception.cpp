#include "platform/system/Exception.h"

#include <atomic>

namespace sonvale {

namespace {

std::atomic<UncaughtExceptionHandler> currentUncaughtHandler{nullptr};

} // namespace

Exception::Exception(std::string name, std::string reason, std::vector<std::uint64_t> callStackReturnAddresses)
    : name_(std::move(name)), reason_(std::move(reason)), callStackReturnAddresses_(std::move(callStackReturnAddresses))
{}

const char* Exception::what() const noexcept { return reason_.c_str(); }

UncaughtExceptionHandler uncaughtExceptionHandler() { return currentUncaughtHandler.load(); }

void setUncaughtExceptionHandler(UncaughtExceptionHandler handler) { currentUncaughtHandler.store(handler); }

} // namespace sonvale
