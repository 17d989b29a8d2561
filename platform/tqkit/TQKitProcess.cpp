#include "platform/tqkit/TQKitProcess.h"

#include "platform/tqkit/TQKitMutex.h"

#include <mutex>

namespace {

TQKitMutex processMutex;
std::string servicePattern;
std::string appGroup;

std::string textOf(const char* bytes, size_t length) { return bytes ? std::string(bytes, length) : std::string(); }

} // namespace

// The early calls prepare framework state that this build does not have; they only mark the
// points in start-up where it would be prepared.
int TQKitEarlyInit(int) { return 0; }

int TQKitEarlyConfigure(int) { return 0; }

void TQKitServicePatternSet(const char* pattern, size_t length)
{
    std::lock_guard lock(processMutex);
    servicePattern = textOf(pattern, length);
}

void TQKitAppGroupSet(const char* group, size_t length)
{
    std::lock_guard lock(processMutex);
    appGroup = textOf(group, length);
}

void TQKitDelegateCreated() {}

std::string TQKitServicePattern()
{
    std::lock_guard lock(processMutex);
    return servicePattern;
}

std::string TQKitAppGroup()
{
    std::lock_guard lock(processMutex);
    return appGroup;
}
