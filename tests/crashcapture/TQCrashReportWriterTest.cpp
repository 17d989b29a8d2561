#include "crashcapture/TQCrashAsyncFile.h"
#include "crashcapture/TQCrashImageList.h"
#include "crashcapture/TQCrashLogWriter.h"
#include "crashcapture/TQCrashReport.h"
#include "crashcapture/TQCrashReportWriter.h"
#include "platform/system/HostInfo.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace tqcrash::async {
namespace {

[[gnu::noinline]] void somewhereInThisExecutable() {
    __asm__ volatile("");
}

// A frame-pointer chain in ordinary memory: frame i holds {address of frame i + 1, return address},
// the last one {0, return address}. Every return address lies in this executable.
class SyntheticStack final {
public:
    explicit SyntheticStack(std::size_t depth) : words_(2 * depth) {
        for (std::size_t i = 0; i < depth; ++i) {
            words_[2 * i] = i + 1 < depth ? reinterpret_cast<std::uintptr_t>(&words_[2 * (i + 1)]) : 0;
            words_[2 * i + 1] = pc() + i + 1;
        }
    }

    static std::uint64_t pc() { return reinterpret_cast<std::uintptr_t>(&somewhereInThisExecutable); }

    tqcrash_async_thread_state state() const {
        tqcrash_async_thread_state state{};
        state.stack_direction = TQCRASH_STACK_GROWS_DOWN;
        state.gpr_width = 8;
        thread_state_set_register(&state, TQCRASH_REG_IP, pc());
        thread_state_set_register(&state, TQCRASH_REG_FP, reinterpret_cast<std::uintptr_t>(words_.data()));
        thread_state_set_register(&state, TQCRASH_REG_SP, reinterpret_cast<std::uintptr_t>(words_.data()));
        return state;
    }

private:
    std::vector<std::uint64_t> words_;
};

// Threads that a test makes up: ids from 100000 on, each walking the same synthetic stack.
struct SyntheticThreads {
    std::uint32_t count = 0;
    bool listingFails = false;
    pid_t unreadable = 0;
    const SyntheticStack* stack = nullptr;
    int resumed = 0;

    static constexpr pid_t kFirst = 100000;

    crash_thread_source source() {
        return crash_thread_source{this, suspend, read, resume};
    }

    static bool suspend(void* context, pid_t* threads, std::uint32_t capacity, std::uint32_t* count) {
        const auto* self = static_cast<SyntheticThreads*>(context);
        *count = 0;
        for (std::uint32_t i = 0; i < self->count && i < capacity; ++i) {
            threads[(*count)++] = kFirst + static_cast<pid_t>(i);
        }
        return !self->listingFails;
    }
    static bool read(void* context, pid_t thread, tqcrash_async_thread_state* state) {
        const auto* self = static_cast<SyntheticThreads*>(context);
        if (thread == self->unreadable) {
            return false;
        }
        *state = self->stack->state();
        return true;
    }
    static void resume(void* context) { ++static_cast<SyntheticThreads*>(context)->resumed; }
};

class TQCrashReportWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(crash_log_writer_init(&writer_, "com.example.app", "2.1", nullptr, 0, false), TQCRASH_ESUCCESS);
        image_list_add_process_images(&images_);
    }
    void TearDown() override { crash_log_writer_free(&writer_); }

    // Writes a report through a file with the crash-time size limit and decodes it.
    std::unique_ptr<TQCrashReport> write(pid_t crashed, const tqcrash_async_thread_state* callerState,
                                         const crash_thread_source* threads,
                                         crash_signal_facts facts = {SIGSEGV, SEGV_MAPERR, 0x10},
                                         const crash_mach_exception_info* mach = nullptr) {
        const auto path = folder_.path() / "report.tqcrash";
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
        async_file file;
        async_file_init(&file, fd, kCrashReportSizeLimit);
        const crash_signal_info signal{&facts, mach};
        EXPECT_EQ(crash_log_write_report(&writer_, crashed, &images_, &file, &signal, callerState, threads),
                  TQCRASH_ESUCCESS);
        EXPECT_TRUE(async_file_close(&file));
        std::ifstream in(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        TQCrashReporterError error;
        auto report = TQCrashReport::initWithDataError(bytes_, &error);
        EXPECT_TRUE(report) << error.description;
        return report;
    }

    sonvale::test::TempDir folder_;
    crash_log_writer writer_;
    image_list images_;
    std::vector<std::uint8_t> bytes_;
};

TEST_F(TQCrashReportWriterTest, GathersThisProcessAndHostBeforeAnyCrash) {
    EXPECT_EQ(writer_.process_id, static_cast<std::uint32_t>(getpid()));
    EXPECT_EQ(writer_.parent_process_id, static_cast<std::uint32_t>(getppid()));
    ASSERT_NE(writer_.process_path.text, nullptr);
    EXPECT_EQ(std::string(writer_.process_path.text), std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_NE(writer_.parent_process_name.text, nullptr);
    EXPECT_EQ(writer_.cpu_type, 0x1000007u);
    EXPECT_GE(writer_.logical_processor_count, writer_.processor_count);
    EXPECT_GE(writer_.processor_count, 1u);
    EXPECT_TRUE(writer_.native);
    // The same texts as the device record of the telemetry client.
    const auto system = sonvale::hostinfo::operatingSystemDescription();
    ASSERT_NE(writer_.os_version.text, nullptr);
    EXPECT_EQ(writer_.os_version.text, system.version);
    ASSERT_NE(writer_.os_build.text, nullptr);
    EXPECT_EQ(writer_.os_build.text, system.build);
    EXPECT_EQ(writer_.app_marketing_version.text, nullptr);
    EXPECT_FALSE(writer_.uncaught_exception.has_exception);
    EXPECT_EQ(writer_.custom_data, nullptr);
    EXPECT_EQ(writer_.report_uuid[6] >> 4, 4) << "a random UUID";
}

TEST_F(TQCrashReportWriterTest, ASignalReportHoldsTheCallingThreadAloneWithItsRegisters) {
    const SyntheticStack stack(5);
    const auto state = stack.state();
    const auto report = write(current_thread_id(), &state, nullptr);
    ASSERT_TRUE(report);
    EXPECT_EQ(std::string(bytes_.begin(), bytes_.begin() + 7), "tqcrash");
    EXPECT_EQ(bytes_[7], 1);

    ASSERT_EQ(report->threads().size(), 1u);
    const auto& thread = report->threads().front();
    EXPECT_TRUE(thread.crashed());
    EXPECT_EQ(thread.threadNumber(), 0);
    const char* names[] = {"rip", "rbp", "rsp", "rax", "rbx", "rcx", "rdx", "rdi", "rsi", "r8", "r9",
                           "r10", "r11", "r12", "r13", "r14", "r15", "rflags", "cs", "fs", "gs"};
    ASSERT_EQ(thread.registers().size(), std::size(names));
    for (std::size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(thread.registers()[i].registerName(), names[i]);
    }
    ASSERT_EQ(thread.stackFrames().size(), 6u) << "the crashing frame and five callers";
    EXPECT_EQ(thread.stackFrames()[0].instructionPointer(), SyntheticStack::pc());
    EXPECT_EQ(thread.stackFrames()[5].instructionPointer(), SyntheticStack::pc() + 5);

    EXPECT_FALSE(report->hasExceptionInfo());
    EXPECT_FALSE(report->customData().has_value());
    EXPECT_TRUE(report->uuidRef().has_value());
    EXPECT_EQ(report->applicationInfo().applicationVersion(), "2.1");
    EXPECT_EQ(report->applicationInfo().applicationMarketingVersion(), "") << "always written, empty when unknown";
    EXPECT_EQ(report->systemInfo().architecture(), TQCrashReportArchitecture::X86_64);
    EXPECT_TRUE(report->systemInfo().timestamp().has_value());
    ASSERT_NE(report->imageForAddress(SyntheticStack::pc()), nullptr);
    EXPECT_FALSE(report->imageForAddress(SyntheticStack::pc())->imageUUID().value_or("").empty());
}

TEST_F(TQCrashReportWriterTest, NamesSignalsAndCodesOrGivesTheirNumbers) {
    struct Row {
        crash_signal_facts facts;
        const char* name;
        const char* code;
    };
    const Row rows[] = {
        {{SIGSEGV, SEGV_ACCERR, 0}, "SIGSEGV", "SEGV_ACCERR"},
        {{SIGABRT, 0, 0}, "SIGABRT", "#0"},
        {{SIGSEGV, 99, 0}, "SIGSEGV", "#99"},
        {{SIGABRT, SI_TKILL, 0}, "SIGABRT", "#-6"},
        {{77, 1, 0xdead}, "#77", "#1"},
    };
    const SyntheticStack stack(1);
    const auto state = stack.state();
    for (const Row& row : rows) {
        const auto report = write(current_thread_id(), &state, nullptr, row.facts);
        ASSERT_TRUE(report);
        EXPECT_EQ(report->signalInfo().name(), row.name);
        EXPECT_EQ(report->signalInfo().code(), row.code);
        EXPECT_EQ(report->signalInfo().address(), row.facts.address);
    }
}

TEST_F(TQCrashReportWriterTest, CarriesTheMachExceptionBehindASignal) {
    const std::uint64_t codes[] = {1, 0xdead0000};
    const crash_mach_exception_info mach{1, codes, 2};
    const SyntheticStack stack(1);
    const auto state = stack.state();
    const auto report = write(current_thread_id(), &state, nullptr, {SIGSEGV, SEGV_MAPERR, 0xdead0000}, &mach);
    ASSERT_TRUE(report);
    ASSERT_TRUE(report->machExceptionInfo().has_value());
    EXPECT_EQ(report->machExceptionInfo()->type(), 1u);
    EXPECT_EQ(report->machExceptionInfo()->codes(), (std::vector<std::uint64_t>{1, 0xdead0000}));
}

TEST_F(TQCrashReportWriterTest, StopsAStackWalkAfter512Frames) {
    const SyntheticStack stack(700);
    const auto state = stack.state();
    const auto report = write(current_thread_id(), &state, nullptr);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->threads().front().stackFrames().size(), 512u);
}

TEST_F(TQCrashReportWriterTest, CarriesTheUncaughtExceptionAndCustomData) {
    std::vector<std::uint64_t> returns(600);
    for (std::size_t i = 0; i < returns.size(); ++i) {
        returns[i] = 0x1000 + i;
    }
    tqcrash_log_writer_set_exception(&writer_, "std::runtime_error", nullptr, returns.data(), returns.size());
    const std::vector<std::uint8_t> custom = {0, 1, 2, 255};
    crash_log_writer_set_custom_data(&writer_, &custom);

    const SyntheticStack stack(1);
    const auto state = stack.state();
    auto report = write(current_thread_id(), &state, nullptr, {SIGABRT, 0, 0});
    ASSERT_TRUE(report);
    ASSERT_TRUE(report->hasExceptionInfo());
    EXPECT_EQ(report->exceptionInfo()->exceptionName(), "std::runtime_error");
    EXPECT_EQ(report->exceptionInfo()->exceptionReason(), "");
    ASSERT_TRUE(report->exceptionInfo()->stackFrames().has_value());
    EXPECT_EQ(report->exceptionInfo()->stackFrames()->size(), 512u);
    EXPECT_EQ(report->exceptionInfo()->stackFrames()->back().instructionPointer(), 0x1000u + 511);
    EXPECT_EQ(report->customData(), custom);

    const std::vector<std::uint8_t> none;
    crash_log_writer_set_custom_data(&writer_, &none);
    report = write(current_thread_id(), &state, nullptr);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->customData(), none) << "custom data of zero bytes is still written";
}

TEST_F(TQCrashReportWriterTest, RecordsAnExceptionOnlyOnce) {
    tqcrash_log_writer_set_exception(&writer_, "first", "reason", nullptr, 0);
    EXPECT_DEATH(tqcrash_log_writer_set_exception(&writer_, "second", "reason", nullptr, 0),
                 "writer->uncaught_exception.has_exception == false");
}

// Threads beyond the size limit are left out whole; the crashed one (listed last here), the
// signal and the images its frames lie in are always kept, and the file stays decodable.
TEST_F(TQCrashReportWriterTest, KeepsAReportOf300DeepThreadsWithinTheLimit) {
    const SyntheticStack stack(600);
    SyntheticThreads threads;
    threads.count = 300;
    threads.stack = &stack;
    const auto source = threads.source();
    const pid_t crashed = SyntheticThreads::kFirst + 299;
    const auto report = write(crashed, nullptr, &source);
    ASSERT_TRUE(report);
    EXPECT_LE(bytes_.size(), static_cast<std::size_t>(kCrashReportSizeLimit));
    EXPECT_EQ(threads.resumed, 1);

    const auto& written = report->threads();
    ASSERT_GT(written.size(), 1u);
    EXPECT_LT(written.size(), 300u);
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(written[i].threadNumber(), static_cast<std::int64_t>(i)) << "numbered as written";
    }
    EXPECT_TRUE(written.back().crashed());
    EXPECT_EQ(written.back().stackFrames().size(), 512u);
    EXPECT_EQ(written.back().registers().size(), 21u);
    EXPECT_EQ(report->signalInfo().name(), "SIGSEGV");
    EXPECT_NE(report->imageForAddress(SyntheticStack::pc()), nullptr);
}

TEST_F(TQCrashReportWriterTest, WritesTheCrashedThreadWhenListingFails) {
    const SyntheticStack stack(3);
    SyntheticThreads threads;
    threads.count = 4;
    threads.listingFails = true;
    threads.stack = &stack;
    const auto source = threads.source();
    const auto state = stack.state();
    const auto report = write(current_thread_id(), &state, &source);
    ASSERT_TRUE(report);
    ASSERT_EQ(report->threads().size(), 1u);
    EXPECT_TRUE(report->threads().front().crashed());
    EXPECT_EQ(report->threads().front().stackFrames().size(), 4u);
}

TEST_F(TQCrashReportWriterTest, ListsOtherThreadsAndLeavesOutACallerWithoutRegisters) {
    const SyntheticStack stack(3);
    SyntheticThreads threads;
    threads.count = 3;
    threads.unreadable = SyntheticThreads::kFirst + 1;
    threads.stack = &stack;
    const auto source = threads.source();
    const auto report = write(SyntheticThreads::kFirst + 2, nullptr, &source);
    ASSERT_TRUE(report);
    const auto& written = report->threads();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_FALSE(written[0].crashed());
    EXPECT_TRUE(written[0].registers().empty()) << "registers belong to the crashed thread only";
    EXPECT_EQ(written[0].stackFrames().size(), 4u);
    EXPECT_TRUE(written[1].stackFrames().empty()) << "an unreadable thread keeps number and flag only";
    EXPECT_TRUE(written[2].crashed());
}

TEST_F(TQCrashReportWriterTest, ReportsAPathThatCannotBeOpened) {
    crash_handler_context context{};
    context.writer = writer_;
    context.report_path = const_cast<char*>("/nonexistent-folder/live_report.tqcrash");
    const crash_signal_facts facts{SIGSEGV, SEGV_MAPERR, 0};
    const crash_signal_info signal{&facts, nullptr};
    const SyntheticStack stack(1);
    const auto state = stack.state();
    EXPECT_EQ(crash_log_write_to_path(&context, current_thread_id(), &state, &signal), TQCRASH_EINTERNAL);
}

} // namespace
} // namespace tqcrash::async
