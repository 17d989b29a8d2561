#include "crashes/TQTMErrorLogFormatter.h"

#include "crashcapture/TQCrashReport.h"
#include "crashes/TQTMAppleErrorLog.h"
#include "crashes/TQTMBinary.h"
#include "crashes/TQTMErrorReport.h"
#include "crashes/TQTMExceptionModel.h"
#include "crashes/TQTMStackFrame.h"
#include "crashes/TQTMThread.h"
#include "telemetry/TQTMDevice.h"
#include "telemetry/TQTMTelemetry.h"
#include "telemetry/TQTMUtility.h"

#include "tests/crashcapture/ReportFixture.h"
#include "tests/telemetry/TelemetryTestSupport.h"

using namespace sonvale;
using tqcrash::TQCrashReport;
using tqcrash::test::ReportFixture;
using Formatter = TQTMErrorLogFormatter;

namespace {

constexpr uint64_t kX86_64 = 0x1000007;

// A report of a crash of /home/alice/bin/sonvale in its second thread: the executable, the C
// library (where a frame lies), an unused library, and an image of size 0 where a register
// points; a process section and an uncaught exception with frames.
class CrashReportFixture {
public:
    CrashReportFixture()
    {
        using namespace std::string_literals;
        fixture.useMachine(kX86_64, 3);
        fixture.useReportUuid(16);

        tqcrash__crash_report__process_info__init(&process);
        process.process_name = const_cast<char*>("sonvale");
        process.process_id = 4242;
        process.process_path = const_cast<char*>("/home/alice/bin/sonvale");
        process.parent_process_name = const_cast<char*>("bash");
        process.parent_process_id = 77;
        process.has_start_time = 1;
        process.start_time = 1'699'999'000;
        fixture.report.process_info = &process;

        // Thread 0: a frame in the executable. Thread 1 (crashed): a frame in the C library, one
        // outside every image, one at 0; registers point into the size-0 image.
        fixture.frame.pc = 0x401010;
        for (size_t i = 0; i < 3; ++i) {
            tqcrash__crash_report__thread__stack_frame__init(&crashedFrames[i]);
            crashedFramePointers[i] = &crashedFrames[i];
        }
        crashedFrames[0].pc = 0x7f0000001234;
        crashedFrames[1].pc = 0x5000;
        crashedFrames[2].pc = 0;
        tqcrash__crash_report__thread__init(&crashed);
        crashed.thread_number = 1;
        crashed.crashed = 1;
        crashed.n_frames = 3;
        crashed.frames = crashedFramePointers;
        for (size_t i = 0; i < 2; ++i) {
            tqcrash__crash_report__thread__register_value__init(&registers[i]);
            registerPointers[i] = &registers[i];
        }
        registers[0].name = const_cast<char*>("rip");
        registers[0].value = 0x7f0000001234;
        registers[1].name = const_cast<char*>("rsi");
        registers[1].value = 0x9000;
        crashed.n_registers = 2;
        crashed.registers = registerPointers;
        fixture.thread.crashed = 0;
        threads[0] = &fixture.thread;
        threads[1] = &crashed;
        fixture.report.n_threads = 2;
        fixture.report.threads = threads;

        fixture.image.name = const_cast<char*>("/home/alice/bin/sonvale");
        image(libc, 0x7f0000000000, 0x10000, "/usr/lib/x86_64-linux-gnu/libc.so.6");
        image(unused, 0x7e0000000000, 0x10000, "/usr/lib/libunused.so");
        image(empty, 0x9000, 0, "/usr/lib/libempty.so");
        images[0] = &libc;
        images[1] = &fixture.image;
        images[2] = &unused;
        images[3] = &empty;
        fixture.report.n_binary_images = 4;
        fixture.report.binary_images = images;

        tqcrash__crash_report__exception__init(&exception);
        exception.name = const_cast<char*>("std::runtime_error");
        exception.reason = const_cast<char*>("disk full");
        tqcrash__crash_report__thread__stack_frame__init(&exceptionFrame);
        exceptionFrame.pc = 0x401020;
        exceptionFramePointer[0] = &exceptionFrame;
        exception.n_frames = 1;
        exception.frames = exceptionFramePointer;
        fixture.report.exception = &exception;
    }

    std::unique_ptr<TQCrashReport> decoded() const
    {
        const std::vector<uint8_t> bytes = fixture.bytes();
        tqcrash::TQCrashReporterError error;
        auto report = TQCrashReport::initWithDataError(bytes, &error);
        EXPECT_TRUE(report) << error.description;
        return report;
    }

    ReportFixture fixture;
    Tqcrash__CrashReport__ProcessInfo process;
    Tqcrash__CrashReport__Thread crashed;
    Tqcrash__CrashReport__Thread__StackFrame crashedFrames[3];
    Tqcrash__CrashReport__Thread__StackFrame* crashedFramePointers[3];
    Tqcrash__CrashReport__Thread__RegisterValue registers[2];
    Tqcrash__CrashReport__Thread__RegisterValue* registerPointers[2];
    Tqcrash__CrashReport__Thread* threads[2];
    Tqcrash__CrashReport__BinaryImage libc, unused, empty;
    Tqcrash__CrashReport__BinaryImage* images[4];
    Tqcrash__CrashReport__Exception exception;
    Tqcrash__CrashReport__Thread__StackFrame exceptionFrame;
    Tqcrash__CrashReport__Thread__StackFrame* exceptionFramePointer[1];

private:
    static void image(Tqcrash__CrashReport__BinaryImage& image, uint64_t base, uint64_t size,
                      const char* name)
    {
        tqcrash__crash_report__binary_image__init(&image);
        image.base_address = base;
        image.size = size;
        image.name = const_cast<char*>(name);
    }
};

class TQTMErrorLogFormatterTest : public test::TelemetryTest {};

std::vector<std::string> names(const std::vector<std::shared_ptr<TQTMBinary>>& binaries)
{
    std::vector<std::string> result;
    for (const auto& binary : binaries)
        result.push_back(binary->name().value_or(""));
    return result;
}

} // namespace

TEST_F(TQTMErrorLogFormatterTest, CrashLogCarriesTheProcessSignalThreadsRegistersAndImages)
{
    CrashReportFixture fixture;
    const auto report = fixture.decoded();
    ASSERT_TRUE(report);
    const auto log = Formatter::errorLogFromCrashReport(*report);

    EXPECT_EQ(log->errorId(), "ABABABAB-ABAB-ABAB-ABAB-ABABABABABAB");
    EXPECT_EQ(log->processId(), 4242);
    EXPECT_EQ(log->processName(), "sonvale");
    EXPECT_EQ(log->parentProcessId(), 77);
    EXPECT_EQ(log->parentProcessName(), "bash");
    EXPECT_EQ(log->applicationPath(), "/home/USER/bin/sonvale");
    EXPECT_EQ(log->errorThreadId(), 1);
    EXPECT_TRUE(log->isFatal());
    EXPECT_EQ(log->primaryArchitectureId(), kX86_64);
    EXPECT_EQ(log->architectureVariantId(), 3u);
    EXPECT_EQ(log->osExceptionType(), "SIGSEGV");
    EXPECT_EQ(log->osExceptionCode(), "SEGV_MAPERR");
    EXPECT_EQ(log->osExceptionAddress(), "0x10");
    EXPECT_EQ(log->exceptionType(), "std::runtime_error");
    EXPECT_EQ(log->exceptionReason(), "disk full");
    // A crash time of whole seconds lies at the end of its second.
    EXPECT_EQ(TQTMUtility::dateToISO8601(*log->timestamp()), "2023-11-14T22:13:20.999Z");
    EXPECT_EQ(TQTMUtility::dateToISO8601(*log->appLaunchTimestamp()), "2023-11-14T21:56:40.000Z");

    const auto& threads = *log->threads();
    ASSERT_EQ(threads.size(), 2u);
    EXPECT_FALSE(threads[0]->exception());
    EXPECT_EQ(threads[0]->frames()->at(0)->address(), "0x0000000000401010");
    EXPECT_EQ(threads[0]->frames()->at(0)->code(), "0x400000 + 4112");
    const auto& crashedFrames = *threads[1]->frames();
    EXPECT_EQ(crashedFrames[0]->code(), "0x7f0000000000 + 4660");
    EXPECT_EQ(crashedFrames[1]->code(), "0x0 + 0");
    EXPECT_EQ(crashedFrames[2]->address(), "0x0000000000000000");
    EXPECT_EQ(crashedFrames[2]->code(), "0x0 + 0");
    EXPECT_EQ(logs.count("Cannot find image for 0x5000"), 1u);
    EXPECT_EQ(logs.count("Cannot find image for 0x0"), 0u);
    const auto& exception = threads[1]->exception();
    ASSERT_TRUE(exception);
    EXPECT_EQ(exception->type(), "std::runtime_error");
    EXPECT_EQ(exception->message(), "disk full");
    ASSERT_EQ(exception->frames()->size(), 1u);
    EXPECT_EQ(exception->frames()->at(0)->address(), "0x0000000000401020");

    EXPECT_EQ(*log->registers(), (TQTMAppleErrorLog::Registers{{"rip", "0x00007f0000001234"},
                                                                {"rsi", "0x0000000000009000"}}));

    // By base address; the unused library is left out, the size-0 image covers its base.
    const auto& binaries = *log->binaries();
    EXPECT_EQ(names(binaries), (std::vector<std::string>{"libempty.so", "sonvale", "libc.so.6"}));
    EXPECT_EQ(binaries[0]->startAddress(), "0x0000000000009000");
    EXPECT_EQ(binaries[0]->endAddress(), "0x0000000000009000");
    EXPECT_EQ(binaries[1]->path(), "/home/USER/bin/sonvale");
    EXPECT_EQ(binaries[1]->binaryId(), "???");
    EXPECT_EQ(binaries[1]->endAddress(), "0x0000000000401fff");

    // The device of the crash: the report's system and application over the tracked device.
    EXPECT_EQ(log->device()->osVersion(), "12.0");
    EXPECT_EQ(log->device()->appNamespace(), "com.example.app");
    EXPECT_EQ(log->device()->appBuild(), "1.0");
    EXPECT_TRUE(log->device()->sdkName());
    EXPECT_TRUE(log->isValid());
}

TEST_F(TQTMErrorLogFormatterTest, MissingSectionsGiveTheDefaults)
{
    CrashReportFixture fixture;
    fixture.fixture.report.process_info = nullptr;
    fixture.fixture.report.exception = nullptr;
    fixture.crashed.crashed = 0;
    fixture.fixture.report.report_info = nullptr;
    fixture.fixture.system.timestamp = 1'700'000'000;
    const auto log = Formatter::errorLogFromCrashReport(*fixture.decoded());

    EXPECT_EQ(log->processId(), 0);
    EXPECT_EQ(log->processName(), "???");
    EXPECT_EQ(log->parentProcessName(), "???");
    EXPECT_FALSE(log->parentProcessId());
    EXPECT_EQ(log->applicationPath(), "???");
    // Without a process section the launch time is the report's time stamp.
    EXPECT_EQ(log->appLaunchTimestamp(), *log->timestamp() - std::chrono::milliseconds(999));
    EXPECT_EQ(log->errorThreadId(), 0);
    EXPECT_TRUE(log->registers()->empty());
    for (const auto& thread : *log->threads())
        EXPECT_FALSE(thread->exception());
    EXPECT_FALSE(log->exceptionType());
    // A report without UUID gets a new one.
    EXPECT_TRUE(Uuid::fromString(*log->errorId()));
    // Without a process path only images that frames point into are listed.
    EXPECT_EQ(names(*log->binaries()), (std::vector<std::string>{"libempty.so", "sonvale", "libc.so.6"}));
}

TEST_F(TQTMErrorLogFormatterTest, ProcessWithoutStartTimeHasNoLaunchTime)
{
    CrashReportFixture fixture;
    fixture.process.has_start_time = 0;
    EXPECT_FALSE(Formatter::errorLogFromCrashReport(*fixture.decoded())->appLaunchTimestamp());
}

TEST_F(TQTMErrorLogFormatterTest, HomeFoldersLeaveSentPaths)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/Users/alice/Library/a.dylib", "/Users/USER/Library/a.dylib"},
        {"/home/alice/bin/sonvale", "/home/USER/bin/sonvale"},
        {"/home/bob.smith/.local/lib/x.so", "/home/USER/.local/lib/x.so"},
        {"/Volumes/Users/alice/app", ""},
        {"/mnt/Users", ""},
        {"", ""},
        {"/usr/lib/x86_64-linux-gnu/libc.so.6", "/usr/lib/x86_64-linux-gnu/libc.so.6"},
        {"/opt/home/alice/x", "/opt/home/alice/x"},
        {"/home/", "/home/"},
    };
    for (const auto& [path, sent] : cases)
        EXPECT_EQ(Formatter::anonymizedPathFromPath(path), sent) << path;
}

TEST_F(TQTMErrorLogFormatterTest, CpuNamesAndAddressWidths)
{
    EXPECT_EQ(Formatter::convertCodeTypeToString(7), "X86");
    EXPECT_EQ(Formatter::convertCodeTypeToString(12), "ARM");
    EXPECT_EQ(Formatter::convertCodeTypeToString(18), "PPC");
    EXPECT_EQ(Formatter::convertCodeTypeToString(kX86_64), "X86-64");
    EXPECT_EQ(Formatter::convertCodeTypeToString(0x100000C), "ARM-64");
    EXPECT_EQ(Formatter::convertCodeTypeToString(99), "Unknown (99)");

    const std::vector<std::tuple<uint64_t, uint64_t, std::string>> architectures = {
        {7, 5, "i386"},           {12, 6, "armv6"},        {12, 9, "armv7"},
        {12, 11, "armv7s"},       {12, 1, "arm-unknown"},  {18, 0, "powerpc"},
        {kX86_64, 8, "x86_64"},   {0x100000C, 0, "arm64"}, {0x100000C, 0x80000002, "arm64e"},
        {0x100000C, 1, "armv8"},  {0x100000C, 7, "arm64-unknown"}, {42, 0, "???"},
    };
    for (const auto& [type, subtype, name] : architectures)
        EXPECT_EQ(Formatter::convertArchNameToString(type, subtype), name) << type << "/" << subtype;

    EXPECT_TRUE(Formatter::isCodeType64bit(kX86_64));
    EXPECT_TRUE(Formatter::isCodeType64bit(0x100000C));
    EXPECT_FALSE(Formatter::isCodeType64bit(7));
    EXPECT_EQ(Formatter::formatAddressIs64bit(0xabc, true), "0x0000000000000abc");
    EXPECT_EQ(Formatter::formatAddressIs64bit(0xabc, false), "0x00000abc");
}

TEST_F(TQTMErrorLogFormatterTest, ImageKindsFollowTheBundle)
{
    using Kind = TQTMErrorLogFormatter::ImageType;
    const std::string process = "/Applications/Sonvale.app/Contents/MacOS/Sonvale";
    EXPECT_EQ(Formatter::imageTypeForImagePathProcessPath(process, process), Kind::ImageTypeProcess);
    EXPECT_EQ(Formatter::imageTypeForImagePathProcessPath(
                  "/Applications/Sonvale.app/Contents/Frameworks/TQKit.framework/TQKit", process),
              Kind::ImageTypeBundle);
    EXPECT_EQ(Formatter::imageTypeForImagePathProcessPath(
                  "/Applications/Sonvale.app/Contents/Frameworks/libswiftCore.dylib", process),
              Kind::ImageTypeOther);
    EXPECT_EQ(Formatter::imageTypeForImagePathProcessPath("/usr/lib/libc.so.6", process),
              Kind::ImageTypeOther);
    EXPECT_EQ(Formatter::imageTypeForImagePathProcessPath(std::nullopt, process), Kind::ImageTypeOther);
}

TEST_F(TQTMErrorLogFormatterTest, ReportOfALogNamesItsCpu)
{
    CrashReportFixture fixture;
    const auto log = Formatter::errorLogFromCrashReport(*fixture.decoded());
    const auto report = Formatter::errorReportFromLog(*log);
    EXPECT_EQ(report->incidentIdentifier(), log->errorId());
    EXPECT_EQ(report->reporterKey(), TQTMTelemetry::installId().toString());
    EXPECT_EQ(report->signal(), "SIGSEGV");
    EXPECT_EQ(report->exceptionName(), "std::runtime_error");
    EXPECT_EQ(report->codeType(), "X86-64");
    EXPECT_EQ(report->archName(), "x86_64");
    EXPECT_EQ(report->appErrorTime(), log->timestamp());
    EXPECT_EQ(report->appProcessIdentifier(), 4242u);
    EXPECT_EQ(report->device(), log->device());

    TQTMAppleErrorLog bare;
    const auto unknown = Formatter::errorReportFromLog(bare);
    EXPECT_EQ(unknown->codeType(), "???");
    EXPECT_EQ(unknown->archName(), "???");
    EXPECT_FALSE(Formatter::errorReportFromCrashReport(nullptr));
}
