#include "ReportFixture.h"
#include "crashcapture/TQCrashReport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace tqcrash {
namespace {

using test::ReportFixture;
using Bytes = std::vector<std::uint8_t>;

std::string refusal(const Bytes& bytes) {
    TQCrashReporterError error;
    const auto report = TQCrashReport::initWithDataError(bytes, &error);
    if (report) {
        return "accepted";
    }
    EXPECT_EQ(error.code, TQCrashReporterErrorCode::CrashReportInvalid);
    return error.description;
}

TEST(TQCrashReportTest, RefusesDamagedFilesWithTheirReason) {
    struct Row {
        const char* what;
        std::function<Bytes()> bytes;
        const char* expected;
    };
    const Row rows[] = {
        {"header alone", [] { return Bytes{'t', 'q', 'c', 'r', 'a', 's', 'h', 1}; },
         "Could not decode truncated crash log"},
        {"empty", [] { return Bytes{}; }, "Could not decode truncated crash log"},
        {"bad magic", [] { auto b = ReportFixture().bytes(); b[0] = 'T'; return b; },
         "Could not decode invalid crash log header"},
        {"version 2", [] { auto b = ReportFixture().bytes(); b[7] = 2; return b; },
         "Could not decode unsupported crash report version: 2"},
        {"cut message", [] { auto b = ReportFixture().bytes(); b.resize(b.size() - 3); return b; },
         "An unknown error occured decoding the crash report"},
        {"missing required section", [] { ReportFixture f; f.report.signal = nullptr; return f.bytes(); },
         "An unknown error occured decoding the crash report"},
        {"short report uuid", [] { ReportFixture f; f.useReportUuid(15); return f.bytes(); },
         "Report UUID value is not a standard 16 bytes"},
        {"long report uuid", [] { ReportFixture f; f.useReportUuid(17); return f.bytes(); },
         "Report UUID value is not a standard 16 bytes"},
        {"unknown architecture", [] {
             ReportFixture f;
             f.system.architecture = TQCRASH__ARCHITECTURE__ARCHITECTURE_UNKNOWN;
             return f.bytes();
         }, "Crash report has an unknown architecture"},
        {"negative architecture", [] {
             // A report may hold any number where an enum is expected; the C enum can't hold this one.
             ReportFixture f;
             const std::int32_t negative = -7;
             std::memcpy(&f.system.architecture, &negative, sizeof negative);
             return f.bytes();
         }, "Crash report has an unknown architecture"},
        {"no threads", [] { ReportFixture f; f.report.n_threads = 0; return f.bytes(); },
         "Crash report is missing thread state information"},
        {"no images", [] { ReportFixture f; f.report.n_binary_images = 0; return f.bytes(); },
         "Crash report is missing binary image information"},
        {"256 mach codes", [] { ReportFixture f; f.useMachCodes(256); return f.bytes(); },
         "Crash report includes too many Mach Exception codes"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(refusal(row.bytes()), row.expected) << row.what;
    }
}

TEST(TQCrashReportTest, LeavesTheErrorAloneWhenNoneIsAskedFor) {
    EXPECT_FALSE(TQCrashReport::initWithDataError(Bytes{1, 2, 3}, nullptr));
}

TEST(TQCrashReportTest, MakesUpTheProcessorFromTheArchitectureWithoutMachineFacts) {
    ReportFixture fixture;
    const auto report = TQCrashReport::initWithDataError(fixture.bytes(), nullptr);
    ASSERT_TRUE(report);
    EXPECT_FALSE(report->hasMachineInfo());
    EXPECT_FALSE(report->uuidRef().has_value()) << "no report info, no UUID";
    const auto& processor = report->systemInfo().processorInfo();
    EXPECT_EQ(processor.typeEncoding(), TQCrashReportProcessorTypeEncoding::Mach);
    EXPECT_EQ(processor.type(), 0x1000007u);
    EXPECT_EQ(processor.subtype(), 3u);
    EXPECT_EQ(report->systemInfo().operatingSystem(), TQCrashReportOperatingSystem::Unknown)
        << "the schema's default when unset";
}

TEST(TQCrashReportTest, ReadsEverySection) {
    ReportFixture fixture;
    fixture.useMachine(0x1000007, 8);
    fixture.useReportUuid(16);
    fixture.useMachCodes(255);
    Tqcrash__CrashReport__ProcessInfo process;
    tqcrash__crash_report__process_info__init(&process);
    process.process_name = const_cast<char*>("example");
    process.process_id = 42;
    process.parent_process_id = 1;
    process.native = 1;
    fixture.report.process_info = &process;
    std::uint8_t custom[] = {9, 8};
    fixture.report.has_custom_data = 1;
    fixture.report.custom_data = {sizeof custom, custom};
    std::uint8_t uuid[] = {0x00, 0xAB, 0x0F};
    fixture.image.has_uuid = 1;
    fixture.image.uuid = {sizeof uuid, uuid};
    Tqcrash__CrashReport__Exception exception;
    tqcrash__crash_report__exception__init(&exception);
    exception.name = const_cast<char*>("std::bad_alloc");
    exception.reason = const_cast<char*>("out of memory");
    fixture.report.exception = &exception;
    fixture.system.timestamp = 0;

    const auto report = TQCrashReport::initWithDataError(fixture.bytes(), nullptr);
    ASSERT_TRUE(report);
    TQCrashReportUuid expectedUuid;
    expectedUuid.fill(0xAB);
    EXPECT_EQ(report->uuidRef(), expectedUuid);
    ASSERT_TRUE(report->hasMachineInfo());
    EXPECT_EQ(report->systemInfo().processorInfo().subtype(), 8u) << "the machine's processor wins";
    EXPECT_FALSE(report->systemInfo().timestamp().has_value());
    ASSERT_TRUE(report->hasProcessInfo());
    EXPECT_EQ(report->processInfo()->processName(), "example");
    EXPECT_FALSE(report->processInfo()->processPath().has_value());
    EXPECT_FALSE(report->processInfo()->processStartTime().has_value());
    ASSERT_TRUE(report->machExceptionInfo().has_value());
    EXPECT_EQ(report->machExceptionInfo()->codes().size(), 255u);
    EXPECT_EQ(report->customData(), (Bytes{9, 8}));
    EXPECT_EQ(report->images().front().imageUUID(), "00ab0f");
    ASSERT_TRUE(report->hasExceptionInfo());
    EXPECT_EQ(report->exceptionInfo()->exceptionReason(), "out of memory");
    EXPECT_FALSE(report->exceptionInfo()->stackFrames().has_value()) << "no frames: none at all";
}

// Found by the fuzzer: times far beyond any clock's range once overflowed while becoming dates.
TEST(TQCrashReportTest, KeepsTimesOfAnySize) {
    ReportFixture fixture;
    fixture.system.timestamp = INT64_MAX;
    Tqcrash__CrashReport__ProcessInfo process;
    tqcrash__crash_report__process_info__init(&process);
    process.has_start_time = 1;
    process.start_time = 18'976'779'501;
    fixture.report.process_info = &process;
    const auto report = TQCrashReport::initWithDataError(fixture.bytes(), nullptr);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->systemInfo().timestamp()->time_since_epoch().count(), INT64_MAX);
    EXPECT_EQ(report->processInfo()->processStartTime()->time_since_epoch().count(), 18'976'779'501);
}

TEST(TQCrashReportTest, KeepsOnlyTheAddressBitsOfArm64eFrames) {
    for (const auto& [subtype, expected] : {std::pair{2u, 0x123456789ull}, std::pair{0u, 0xABC0000123456789ull}}) {
        ReportFixture fixture;
        fixture.useMachine(0x100000C, subtype);
        fixture.frame.pc = 0xABC0000123456789ull;
        const auto report = TQCrashReport::initWithDataError(fixture.bytes(), nullptr);
        ASSERT_TRUE(report);
        EXPECT_EQ(report->threads().front().stackFrames().front().instructionPointer(), expected) << subtype;
    }
}

TEST(TQCrashReportTest, FindsTheImageHoldingAnAddress) {
    ReportFixture fixture;
    fixture.image.has_uuid = 1;
    fixture.image.uuid = {0, nullptr};
    const auto report = TQCrashReport::initWithDataError(fixture.bytes(), nullptr);
    ASSERT_TRUE(report);
    EXPECT_FALSE(report->images().front().hasImageUUID()) << "an empty uuid is no uuid";
    EXPECT_NE(report->imageForAddress(0x400000), nullptr);
    EXPECT_NE(report->imageForAddress(0x401FFF), nullptr);
    EXPECT_EQ(report->imageForAddress(0x402000), nullptr) << "base + size lies outside";
    EXPECT_EQ(report->imageForAddress(0x3FFFFF), nullptr);
}

} // namespace
} // namespace tqcrash
