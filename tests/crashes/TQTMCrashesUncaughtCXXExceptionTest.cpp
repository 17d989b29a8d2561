#include "crashes/TQTMCrashesUncaughtCXXExceptionHandlerManager.h"

#include "tests/crashes/ForkedChild.h"
#include "tests/crashes/ReturnAddress.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <exception>
#include <sstream>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

using sonvale::test::ForkedChildEnd;
using sonvale::test::isReturnAddressIn;
using sonvale::test::runForkedChild;

// The throwing functions are exported, so that a frame can be told to lie in one of them.
namespace uncaught_test {

class DiskFull final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[gnu::noinline]] void throwDiskFull() { throw DiskFull("disk full"); }
[[gnu::noinline]] void throwOther() { throw std::logic_error("handled elsewhere"); }
[[gnu::noinline]] void throwInt() { throw 42; }
// The C++ library throws this one from inside its own shared object.
[[gnu::noinline]] void readPastTheEnd()
{
    const std::vector<int> empty;
    (void)empty.at(3);
}

} // namespace uncaught_test

using namespace uncaught_test;

namespace {

// What `thrower` throws, caught: rethrown later, it flies where the thrower's frames are long gone.
std::exception_ptr caughtFrom(void (*thrower)())
{
    try {
        thrower();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

// What the handlers of a child write, one line each, into the child's report pipe.
int gReportFd = -1;

void report(const std::string& text) { (void)!write(gReportFd, text.data(), text.size()); }

void describingHandler(const crashes_cxx_exception_info* info)
{
    std::ostringstream text;
    text << "type " << info->exceptionTypeName << "\n";
    text << "message " << (info->exceptionMessage != nullptr ? info->exceptionMessage : "(none)") << "\n";
    for (std::uint32_t i = 0; i < info->frameCount; ++i)
        text << "frame " << info->frames[i] << "\n";
    report(text.str());
}
void handlerA(const crashes_cxx_exception_info*) { report("A\n"); }
void handlerB(const crashes_cxx_exception_info*) { report("B\n"); }

struct Described {
    std::string type;
    std::string message;
    std::vector<std::uint64_t> frames;

    bool hasFrameIn(void (*function)()) const
    {
        return std::any_of(frames.begin(), frames.end(),
                           [&](std::uint64_t frame) { return isReturnAddressIn(frame, function); });
    }
};

Described parse(const std::string& output)
{
    Described described;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const auto space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        if (key == "type")
            described.type = value;
        else if (key == "message")
            described.message = value;
        else if (key == "frame")
            described.frames.push_back(std::stoull(value));
    }
    return described;
}

// Runs `crash` in a child with the describing handler registered; the child must end by SIGABRT,
// the previous terminate handler's way out.
Described describeUncaught(void (*crash)())
{
    const std::optional<ForkedChildEnd> end = runForkedChild([crash](int fd) {
        gReportFd = fd;
        TQTMCrashesUncaughtCXXExceptionHandlerManager::addCXXExceptionHandler(describingHandler);
        crash();
    });
    EXPECT_TRUE(end.has_value());
    if (!end)
        return {};
    EXPECT_TRUE(end->signaled);
    EXPECT_EQ(end->signal, SIGABRT);
    return parse(end->output);
}

[[noreturn]] void previousTerminate() { std::abort(); }
[[noreturn]] void laterTerminate() { std::abort(); }

} // namespace

TEST(TQTMCrashesUncaughtCXXExceptionTest, UncaughtRuntimeErrorGivesTypeMessageAndTheFramesOfItsThrow)
{
    const Described described = describeUncaught([] { throwDiskFull(); });
    EXPECT_EQ(described.type, typeid(DiskFull).name());
    EXPECT_EQ(described.message, "disk full");
    ASSERT_FALSE(described.frames.empty());
    // The thrower comes first: the throw entry's own frame is left out.
    EXPECT_TRUE(isReturnAddressIn(described.frames[0], throwDiskFull));
}

TEST(TQTMCrashesUncaughtCXXExceptionTest, ThrowSiteSurvivesTheUnwinding)
{
    const Described described = describeUncaught([] { std::rethrow_exception(caughtFrom(throwDiskFull)); });
    EXPECT_EQ(described.message, "disk full");
    ASSERT_FALSE(described.frames.empty());
    EXPECT_TRUE(isReturnAddressIn(described.frames[0], throwDiskFull));
}

TEST(TQTMCrashesUncaughtCXXExceptionTest, ARecordOfAnotherThrowIsNotReportedAsTheThrowSite)
{
    // The thread's latest throw is not the exception that ends the process.
    const Described described = describeUncaught([] {
        const std::exception_ptr failure = caughtFrom(throwDiskFull);
        (void)caughtFrom(throwOther);
        std::rethrow_exception(failure);
    });
    EXPECT_EQ(described.message, "disk full");
    EXPECT_FALSE(described.frames.empty()); // the stack of the moment instead
    EXPECT_FALSE(described.hasFrameIn(throwOther));
}

TEST(TQTMCrashesUncaughtCXXExceptionTest, ThrownIntegerGivesItsTypeNameOnly)
{
    const Described described = describeUncaught([] { throwInt(); });
    EXPECT_EQ(described.type, typeid(int).name());
    EXPECT_EQ(described.message, "(none)");
    ASSERT_FALSE(described.frames.empty());
    EXPECT_TRUE(isReturnAddressIn(described.frames[0], throwInt));
}

TEST(TQTMCrashesUncaughtCXXExceptionTest, ThrowInsideTheCxxLibraryIsRecorded)
{
    const Described described = describeUncaught([] { std::rethrow_exception(caughtFrom(readPastTheEnd)); });
    EXPECT_EQ(described.type, typeid(std::out_of_range).name());
    EXPECT_TRUE(described.hasFrameIn(readPastTheEnd));
}

TEST(TQTMCrashesUncaughtCXXExceptionTest, HandlersRunInRegistrationOrderDuplicatesIncluded)
{
    const std::optional<ForkedChildEnd> end = runForkedChild([](int fd) {
        gReportFd = fd;
        TQTMCrashesUncaughtCXXExceptionHandlerManager::addCXXExceptionHandler(handlerA);
        TQTMCrashesUncaughtCXXExceptionHandlerManager::addCXXExceptionHandler(handlerB);
        TQTMCrashesUncaughtCXXExceptionHandlerManager::addCXXExceptionHandler(handlerA);
        throwDiskFull();
    });
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->output, "A\nB\nA\n");
    EXPECT_EQ(end->signal, SIGABRT);
}

TEST(TQTMCrashesUncaughtCXXExceptionTest, RemovingTheLastHandlerPutsThePreviousTerminateHandlerBack)
{
    const std::terminate_handler original = std::set_terminate(previousTerminate);
    TQTMCrashesUncaughtCXXExceptionHandlerManager::addCXXExceptionHandler(handlerA);
    TQTMCrashesUncaughtCXXExceptionHandlerManager::addCXXExceptionHandler(handlerA);
    EXPECT_EQ(std::get_terminate(), crashes_terminate_handler);
    EXPECT_EQ(TQTMCrashesUncaughtCXXExceptionHandlerManager::countCXXExceptionHandler(), 2u);

    TQTMCrashesUncaughtCXXExceptionHandlerManager::removeCXXExceptionHandler(handlerA);
    EXPECT_EQ(TQTMCrashesUncaughtCXXExceptionHandlerManager::countCXXExceptionHandler(), 1u);
    EXPECT_EQ(std::get_terminate(), crashes_terminate_handler);

    TQTMCrashesUncaughtCXXExceptionHandlerManager::removeCXXExceptionHandler(handlerA);
    EXPECT_EQ(TQTMCrashesUncaughtCXXExceptionHandlerManager::countCXXExceptionHandler(), 0u);
    EXPECT_EQ(std::get_terminate(), previousTerminate);
    std::set_terminate(original);
}

TEST(TQTMCrashesUncaughtCXXExceptionTest, ATerminateHandlerInstalledAboveOursStaysInPlace)
{
    const std::terminate_handler original = std::set_terminate(previousTerminate);
    TQTMCrashesUncaughtCXXExceptionHandlerManager::addCXXExceptionHandler(handlerA);
    std::set_terminate(laterTerminate);
    TQTMCrashesUncaughtCXXExceptionHandlerManager::removeCXXExceptionHandler(handlerA);
    EXPECT_EQ(std::get_terminate(), laterTerminate);

    // Ours stays installed below it: a new registration does not push the later one aside.
    TQTMCrashesUncaughtCXXExceptionHandlerManager::addCXXExceptionHandler(handlerA);
    EXPECT_EQ(std::get_terminate(), laterTerminate);

    // Once ours is on top again, removing the last handler goes back to the one before ours.
    std::set_terminate(crashes_terminate_handler);
    TQTMCrashesUncaughtCXXExceptionHandlerManager::removeCXXExceptionHandler(handlerA);
    EXPECT_EQ(std::get_terminate(), previousTerminate);
    std::set_terminate(original);
}
