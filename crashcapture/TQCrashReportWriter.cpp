// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashReportWriter.h"

#include "crashcapture/TQCrashAsyncFile.h"
#include "crashcapture/TQCrashFrameCursor.h"
#include "crashcapture/TQCrashImageList.h"
#include "crashcapture/TQCrashLogFieldEncoder.h"
#include "crashcapture/TQCrashSignalNames.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include <cstddef>
#include <ctime>

namespace tqcrash::async {

namespace {

// Field numbers of the tqcrash.CrashReport schema.
namespace report {
enum : std::uint32_t { system_info = 1, application_info = 2, threads = 3, binary_images = 4,
                       exception = 5, signal = 6, process_info = 7, machine_info = 8, report_info = 9,
                       custom_data = 10 };
}
namespace system_info {
enum : std::uint32_t { operating_system = 1, os_version = 2, architecture = 3, timestamp = 4, os_build = 5 };
}
namespace application_info {
enum : std::uint32_t { identifier = 1, version = 2, marketing_version = 3 };
}
namespace processor {
enum : std::uint32_t { encoding = 1, type = 2, subtype = 3 };
}
namespace thread {
enum : std::uint32_t { thread_number = 1, frames = 2, crashed = 3, registers = 4 };
}
namespace stack_frame {
enum : std::uint32_t { pc = 3 };
}
namespace register_value {
enum : std::uint32_t { name = 1, value = 2 };
}
namespace binary_image {
enum : std::uint32_t { base_address = 1, size = 2, name = 3, uuid = 4, code_type = 5 };
}
namespace exception {
enum : std::uint32_t { name = 1, reason = 2, frames = 3 };
}
namespace signal {
enum : std::uint32_t { name = 1, code = 2, address = 3, mach_exception = 4 };
}
namespace mach_exception {
enum : std::uint32_t { type = 1, codes = 2 };
}
namespace process_info {
enum : std::uint32_t { process_name = 1, process_id = 2, process_path = 3, parent_process_name = 4,
                       parent_process_id = 5, native = 6, start_time = 7 };
}
namespace machine_info {
enum : std::uint32_t { model = 1, processor = 2, processor_count = 3, logical_processor_count = 4 };
}
namespace report_info {
enum : std::uint32_t { user_requested = 1, uuid = 2 };
}

// Values of the schema's enumerations.
constexpr std::uint32_t kOperatingSystemUnknown = 3;
constexpr std::uint32_t kArchitectureX86_64 = 1;
constexpr std::uint32_t kTypeEncodingMach = 1;

std::size_t put_u32(async_file* file, std::uint32_t field, std::uint32_t value) {
    return crash_log_field_encode(file, field, TQCRASH_PROTOBUF_UINT32, &value);
}
std::size_t put_u64(async_file* file, std::uint32_t field, std::uint64_t value) {
    return crash_log_field_encode(file, field, TQCRASH_PROTOBUF_UINT64, &value);
}
std::size_t put_i64(async_file* file, std::uint32_t field, std::int64_t value) {
    return crash_log_field_encode(file, field, TQCRASH_PROTOBUF_INT64, &value);
}
std::size_t put_enum(async_file* file, std::uint32_t field, std::uint32_t value) {
    return crash_log_field_encode(file, field, TQCRASH_PROTOBUF_ENUM, &value);
}
std::size_t put_bool(async_file* file, std::uint32_t field, bool value) {
    const std::uint8_t byte = value ? 1 : 0;
    return crash_log_field_encode(file, field, TQCRASH_PROTOBUF_BOOL, &byte);
}
std::size_t put_string(async_file* file, std::uint32_t field, const char* text) {
    return crash_log_field_encode(file, field, TQCRASH_PROTOBUF_STRING, text != nullptr ? text : "");
}
std::size_t put_text(async_file* file, std::uint32_t field, const crash_log_text& text) {
    return put_string(file, field, text.text);
}
std::size_t put_bytes(async_file* file, std::uint32_t field, const void* data, std::size_t length) {
    const crash_log_bytes bytes{length, data};
    return crash_log_field_encode(file, field, TQCRASH_PROTOBUF_BYTES, &bytes);
}

// A nested message: its body is sized first, then written after key and length.
template <typename Body>
std::size_t put_message(async_file* file, std::uint32_t field, const Body& body) {
    const auto length = static_cast<std::uint32_t>(body(nullptr));
    const std::size_t head = crash_log_field_encode(file, field, TQCRASH_PROTOBUF_MESSAGE, &length);
    if (file != nullptr) {
        body(file);
    }
    return head + length;
}

// "#<number>" for a signal or code without a name.
struct number_name {
    char text[16];

    explicit number_name(int number) {
        char digits[12];
        std::size_t count = 0;
        auto magnitude = number < 0 ? 0u - static_cast<unsigned>(number) : static_cast<unsigned>(number);
        do {
            digits[count++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        std::size_t at = 0;
        text[at++] = '#';
        if (number < 0) {
            text[at++] = '-';
        }
        while (count > 0) {
            text[at++] = digits[--count];
        }
        text[at] = '\0';
    }
};

std::size_t put_processor(async_file* file, std::uint32_t field, std::uint64_t type, std::uint64_t subtype) {
    return put_message(file, field, [&](async_file* out) {
        return put_enum(out, processor::encoding, kTypeEncodingMach) + put_u64(out, processor::type, type) +
               put_u64(out, processor::subtype, subtype);
    });
}

std::size_t put_frame(async_file* file, std::uint32_t field, std::uint64_t pc) {
    // Symbols join the frame once images can be searched for them; reports carry none until then.
    return put_message(file, field, [&](async_file* out) { return put_u64(out, stack_frame::pc, pc); });
}

// The threads of the report in writing order: the calling thread first when the listing lacks it.
struct thread_order {
    pid_t caller;
    const tqcrash_async_thread_state* callerState;
    const crash_thread_source* source;
    pid_t listed[kCrashReportMaxThreads];
    std::uint32_t listedCount;
    bool callerFirst;

    std::uint32_t count() const { return listedCount + (callerFirst ? 1 : 0); }
    pid_t at(std::uint32_t index) const { return callerFirst ? (index == 0 ? caller : listed[index - 1]) : listed[index]; }
    // False for the calling thread when no registers were given: it is left out.
    bool included(std::uint32_t index) const { return at(index) != caller || callerState != nullptr; }
    // The thread's registers into `state`; false when they cannot be read.
    bool state(std::uint32_t index, tqcrash_async_thread_state* state) const {
        const pid_t thread = at(index);
        if (thread == caller) {
            *state = *callerState;
            return true;
        }
        return source != nullptr && source->read_state(source->context, thread, state);
    }
};

struct report_parts {
    const crash_log_writer* writer;
    const image_list* images;
    const crash_signal_info* signal;
    std::int64_t timestamp;
};

// The registers of a thread's first frame: its state itself.
std::size_t put_registers(async_file* file, const tqcrash_async_thread_state* state, const image_list* images) {
    frame_cursor cursor;
    frame_cursor_init(&cursor, state, images);
    std::size_t total = 0;
    const std::size_t count = thread_state_register_count(state);
    for (std::size_t reg = 0; reg < count; ++reg) {
        std::uint64_t value = 0;
        if (frame_cursor_get_register(&cursor, static_cast<int>(reg), &value) != FRAME_ESUCCESS) {
            value = 0;
        }
        const char* name = thread_state_register_name(state, static_cast<int>(reg));
        total += put_message(file, thread::registers, [&](async_file* out) {
            return put_string(out, register_value::name, name) + put_u64(out, register_value::value, value);
        });
    }
    return total;
}

// The instruction pointers of one stack, walked once: sizing and writing its thread read them here
// instead of walking again.
struct walked_stack {
    std::uint64_t pcs[kCrashReportMaxFrames];
    std::uint32_t count = 0;

    // Walks from `state` (null: no frames), at most kCrashReportMaxFrames frames; the walk ends
    // where the cursor finds no caller or cannot read an instruction pointer.
    void walk(const tqcrash_async_thread_state* state, const image_list* images) {
        count = 0;
        if (state == nullptr) {
            return;
        }
        frame_cursor cursor;
        frame_cursor_init(&cursor, state, images);
        while (count < kCrashReportMaxFrames && frame_cursor_next(&cursor) == FRAME_ESUCCESS &&
               frame_cursor_get_register(&cursor, TQCRASH_REG_IP, &pcs[count]) == FRAME_ESUCCESS) {
            ++count;
        }
    }

    bool pointsInto(const elf_image& image) const {
        for (std::uint32_t i = 0; i < count; ++i) {
            if (elf_image_contains_address(&image, pcs[i])) {
                return true;
            }
        }
        return false;
    }
};

// A thread with the state it was walked from (null: unreadable, written with number and crashed
// flag only); the crashed thread's registers come first.
std::size_t put_thread(async_file* file, const report_parts& parts, std::uint32_t number, bool crashed,
                       const tqcrash_async_thread_state* state, const walked_stack& stack) {
    return put_message(file, report::threads, [&](async_file* out) {
        std::size_t total = put_u32(out, thread::thread_number, number) + put_bool(out, thread::crashed, crashed);
        if (state != nullptr && crashed && stack.count > 0) {
            total += put_registers(out, state, parts.images);
        }
        for (std::uint32_t i = 0; i < stack.count; ++i) {
            total += put_frame(out, thread::frames, stack.pcs[i]);
        }
        return total;
    });
}

std::size_t put_image(async_file* file, const elf_image& image) {
    return put_message(file, report::binary_images, [&](async_file* out) {
        std::size_t total = put_u64(out, binary_image::size, image.text_size) +
                            put_u64(out, binary_image::base_address, image.header_address) +
                            put_string(out, binary_image::name, image.path);
        if (image.uuid_length > 0) {
            total += put_bytes(out, binary_image::uuid, image.uuid, image.uuid_length);
        }
        return total + put_processor(out, binary_image::code_type,
                                     static_cast<std::uint32_t>(image.cpu_type),
                                     static_cast<std::uint32_t>(image.cpu_subtype));
    });
}

std::size_t put_fixed_sections(async_file* file, const report_parts& parts) {
    const crash_log_writer& w = *parts.writer;
    std::size_t total = put_message(file, report::report_info, [&](async_file* out) {
        return put_bool(out, report_info::user_requested, w.user_requested) +
               put_bytes(out, report_info::uuid, w.report_uuid, sizeof w.report_uuid);
    });
    total += put_message(file, report::system_info, [&](async_file* out) {
        return put_enum(out, system_info::operating_system, kOperatingSystemUnknown) +
               put_text(out, system_info::os_version, w.os_version) +
               put_text(out, system_info::os_build, w.os_build) +
               put_enum(out, system_info::architecture, kArchitectureX86_64) +
               put_i64(out, system_info::timestamp, parts.timestamp);
    });
    total += put_message(file, report::machine_info, [&](async_file* out) {
        std::size_t size = w.machine_model.text != nullptr ? put_text(out, machine_info::model, w.machine_model) : 0;
        return size + put_processor(out, machine_info::processor, w.cpu_type, w.cpu_subtype) +
               put_u32(out, machine_info::processor_count, w.processor_count) +
               put_u32(out, machine_info::logical_processor_count, w.logical_processor_count);
    });
    total += put_message(file, report::application_info, [&](async_file* out) {
        return put_text(out, application_info::identifier, w.app_identifier) +
               put_text(out, application_info::version, w.app_version) +
               put_text(out, application_info::marketing_version, w.app_marketing_version);
    });
    total += put_message(file, report::process_info, [&](async_file* out) {
        return put_text(out, process_info::process_name, w.process_name) +
               put_u32(out, process_info::process_id, w.process_id) +
               put_text(out, process_info::process_path, w.process_path) +
               put_text(out, process_info::parent_process_name, w.parent_process_name) +
               put_u32(out, process_info::parent_process_id, w.parent_process_id) +
               put_bool(out, process_info::native, w.native) +
               put_u64(out, process_info::start_time, w.process_start_time);
    });
    return total;
}

std::size_t put_exception(async_file* file, const crash_log_writer& w) {
    return put_message(file, report::exception, [&](async_file* out) {
        std::size_t total = put_string(out, exception::name, w.uncaught_exception.name) +
                            put_string(out, exception::reason, w.uncaught_exception.reason);
        const std::size_t count = w.uncaught_exception.return_address_count < kCrashReportMaxFrames
                                      ? w.uncaught_exception.return_address_count
                                      : kCrashReportMaxFrames;
        for (std::size_t i = 0; i < count; ++i) {
            total += put_frame(out, exception::frames, w.uncaught_exception.return_addresses[i]);
        }
        return total;
    });
}

std::size_t put_signal(async_file* file, const crash_signal_info& info) {
    const crash_signal_facts& facts = *info.signal;
    const number_name signalNumber(facts.signal);
    const number_name codeNumber(facts.code);
    const char* name = signal_name(facts.signal);
    const char* code = signal_code_name(facts.signal, facts.code);
    return put_message(file, report::signal, [&](async_file* out) {
        std::size_t total = put_string(out, signal::name, name != nullptr ? name : signalNumber.text) +
                            put_string(out, signal::code, code != nullptr ? code : codeNumber.text) +
                            put_u64(out, signal::address, facts.address);
        if (const crash_mach_exception_info* mach = info.mach_exception) {
            total += put_message(out, signal::mach_exception, [&](async_file* inner) {
                std::size_t size = put_u64(inner, mach_exception::type, mach->type);
                for (std::uint32_t i = 0; i < mach->code_count; ++i) {
                    size += put_u64(inner, mach_exception::codes, mach->codes[i]);
                }
                return size;
            });
        }
        return total;
    });
}

// Bytes still free for what is not required; a part is taken only when it fits whole.
struct size_budget {
    std::size_t left;
    bool take(std::size_t size) {
        if (size > left) {
            return false;
        }
        left -= size;
        return true;
    }
};

// The thread writing a report to its path now; 0 when none is.
constinit std::atomic<pid_t> gReportWriter{0};
// Set once a report of this process is in place: the first crash wins.
constinit std::atomic<bool> gReportInPlace{false};

void futex_wait(std::atomic<pid_t>* word, pid_t value) {
    syscall(SYS_futex, reinterpret_cast<int*>(word), FUTEX_WAIT_PRIVATE, value, nullptr, nullptr, 0);
}

void futex_wake_all(std::atomic<pid_t>* word) {
    syscall(SYS_futex, reinterpret_cast<int*>(word), FUTEX_WAKE_PRIVATE, INT32_MAX, nullptr, nullptr, 0);
}

// "<report path>.<process id>.tmp", formatted without allocation.
struct temporary_path {
    char text[4096];
    bool fits = false;

    explicit temporary_path(const char* path) {
        std::size_t at = 0;
        for (; path[at] != '\0'; ++at) {
            if (at + 32 >= sizeof text) {
                return;
            }
            text[at] = path[at];
        }
        text[at++] = '.';
        char digits[12];
        std::size_t count = 0;
        for (auto pid = static_cast<unsigned>(getpid()); count == 0 || pid != 0; pid /= 10) {
            digits[count++] = static_cast<char>('0' + pid % 10);
        }
        while (count > 0) {
            text[at++] = digits[--count];
        }
        for (const char* suffix = ".tmp"; *suffix != '\0'; ++suffix) {
            text[at++] = *suffix;
        }
        text[at] = '\0';
        fits = true;
    }
};

} // namespace

pid_t current_thread_id() {
    return gettid();
}

tqcrash_error_t crash_log_write_report(const crash_log_writer* writer, pid_t crashedThread,
                                       const image_list* images, async_file* file,
                                       const crash_signal_info* signal,
                                       const tqcrash_async_thread_state* currentState,
                                       const crash_thread_source* threads) {
    thread_order order;
    order.caller = current_thread_id();
    order.callerState = currentState;
    order.source = threads;
    order.listedCount = 0;
    if (threads == nullptr ||
        !threads->suspend_all(threads->context, order.listed, kCrashReportMaxThreads, &order.listedCount)) {
        order.listedCount = 0;
    }
    order.callerFirst = currentState != nullptr;
    for (std::uint32_t i = 0; i < order.listedCount; ++i) {
        order.callerFirst = order.callerFirst && order.listed[i] != order.caller;
    }

    image_list_set_reading(images, true);

    const std::time_t now = std::time(nullptr);
    const report_parts parts{writer, images, signal, now == static_cast<std::time_t>(-1) ? 0 : now};

    // Plan: reserve what every report needs, then fill what is left with whole parts.
    std::uint32_t crashedIndex = order.count();
    tqcrash_async_thread_state crashedState;
    bool crashedStateRead = false;
    walked_stack crashedFrames;
    for (std::uint32_t i = 0; i < order.count(); ++i) {
        if (order.included(i) && order.at(i) == crashedThread) {
            crashedIndex = i;
            crashedStateRead = order.state(i, &crashedState);
            break;
        }
    }
    const tqcrash_async_thread_state* crashedWalked = crashedStateRead ? &crashedState : nullptr;
    crashedFrames.walk(crashedWalked, images);
    std::size_t required = 8 + put_fixed_sections(nullptr, parts) + put_signal(nullptr, *signal);
    if (crashedIndex < order.count()) {
        // Sized with the highest number it could get, so the reservation is never too small.
        required += put_thread(nullptr, parts, kCrashReportMaxThreads, true, crashedWalked, crashedFrames);
    }
    for (const image_node* node = image_list_next(images, nullptr); node != nullptr; node = image_list_next(images, node)) {
        if (crashedFrames.pointsInto(node->value)) {
            required += put_image(nullptr, node->value);
        }
    }
    const auto limit = static_cast<std::size_t>(file->limit);
    size_budget budget{file->limit <= 0 ? SIZE_MAX : (limit > required ? limit - required : 0)};
    const bool withException = writer->uncaught_exception.has_exception && budget.take(put_exception(nullptr, *writer));

    async_file_write(file, "tqcrash", 7);
    const std::uint8_t version = 1;
    async_file_write(file, &version, 1);
    put_fixed_sections(file, parts);

    std::uint32_t number = 0;
    walked_stack frames;
    for (std::uint32_t i = 0; i < order.count(); ++i) {
        if (!order.included(i)) {
            continue;
        }
        if (i == crashedIndex) {
            put_thread(file, parts, number++, true, crashedWalked, crashedFrames);
            continue;
        }
        tqcrash_async_thread_state state;
        const tqcrash_async_thread_state* walked = order.state(i, &state) ? &state : nullptr;
        frames.walk(walked, images);
        if (budget.take(put_thread(nullptr, parts, number, false, walked, frames))) {
            put_thread(file, parts, number++, false, walked, frames);
        }
    }
    for (const image_node* node = image_list_next(images, nullptr); node != nullptr; node = image_list_next(images, node)) {
        if (crashedFrames.pointsInto(node->value) || budget.take(put_image(nullptr, node->value))) {
            put_image(file, node->value);
        }
    }
    if (withException) {
        put_exception(file, *writer);
    }
    put_signal(file, *signal);
    if (const crash_log_custom_data* custom = crash_log_custom_data_acquire(writer);
        custom != nullptr && budget.take(put_bytes(nullptr, report::custom_data, custom->bytes, custom->length))) {
        put_bytes(file, report::custom_data, custom->bytes, custom->length);
    }
    crash_log_custom_data_release(writer);

    image_list_set_reading(images, false);
    if (threads != nullptr) {
        threads->resume_all(threads->context);
    }
    return TQCRASH_ESUCCESS;
}

tqcrash_error_t crash_log_write_to_path(const crash_handler_context* context, pid_t crashedThread,
                                        const tqcrash_async_thread_state* currentState,
                                        const crash_signal_info* signal) {
    const pid_t self = current_thread_id();
    pid_t writing = 0;
    if (!gReportWriter.compare_exchange_strong(writing, self)) {
        // The same thread again: its own write faulted, and that report is lost. Another thread:
        // its report is on the way, and this crash must not end the process before it is closed.
        while (writing != self && (writing = gReportWriter.load()) != 0) {
            futex_wait(&gReportWriter, writing);
        }
        return TQCRASH_EINTERNAL;
    }
    // A later crash of a process whose report is written (in mach mode the exception server takes
    // the next exception while the first crashing thread is still on its way to die) would be cut
    // short by that death: it writes nothing.
    tqcrash_error_t status = TQCRASH_EINTERNAL;
    // Written aside and renamed over the report when complete: a report that is already there is
    // never cut short, and two processes sharing the folder never write into one file.
    temporary_path temporary(context->report_path);
    const int fd = temporary.fits && !gReportInPlace.load()
                       ? open(temporary.text, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                       : -1;
    if (fd >= 0) {
        async_file file;
        async_file_init(&file, fd, kCrashReportSizeLimit);
        status = crash_log_write_report(&context->writer, crashedThread, &process_image_list(), &file, signal,
                                        currentState, context->threads);
        const bool flushed = async_file_flush(&file);
        const bool closed = async_file_close(&file);
        if (!flushed || !closed || rename(temporary.text, context->report_path) != 0) {
            unlink(temporary.text);
            status = TQCRASH_EINTERNAL;
        }
        gReportInPlace.store(status == TQCRASH_ESUCCESS);
    }
    gReportWriter.store(0);
    futex_wake_all(&gReportWriter);
    return status;
}

} // namespace tqcrash::async
