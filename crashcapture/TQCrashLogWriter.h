#pragma once

// Every fact of a report that needs allocation or file reads to learn, gathered on a normal thread
// before any crash, so that writing the report later needs neither.

#include "crashcapture/TQCrashError.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tqcrash::async {

// A heap copy of a UTF-8 text; an absent text is {0, nullptr}.
struct crash_log_text {
    std::size_t length;
    char* text;
};

struct crash_log_custom_data {
    std::size_t length;
    std::uint8_t* bytes; // just past the record, in the same block
};

struct crash_log_writer {
    std::int32_t symbolication_flags;
    bool user_requested;
    std::uint8_t report_uuid[16];

    crash_log_text os_version;
    crash_log_text os_build;

    crash_log_text machine_model;
    std::uint64_t cpu_type;
    std::uint64_t cpu_subtype;
    std::uint32_t processor_count;
    std::uint32_t logical_processor_count;

    crash_log_text app_identifier;
    crash_log_text app_version;
    crash_log_text app_marketing_version;

    crash_log_text process_name;
    std::uint32_t process_id;
    crash_log_text process_path;
    std::uint64_t process_start_time; // seconds since 1970
    crash_log_text parent_process_name;
    std::uint32_t parent_process_id;
    bool native;

    struct {
        bool has_exception;
        char* name;
        char* reason;
        std::uint64_t* return_addresses;
        std::size_t return_address_count;
    } uncaught_exception;

    // Replaced while the process runs, and read by a crash at any moment: the pointer is swapped
    // atomically, and the old bytes are freed only once no crash is reading them. Null: no custom
    // data (a record of zero bytes is custom data too).
    crash_log_custom_data* custom_data;
    mutable std::uint32_t custom_data_readers;
};

// Takes the custom data for one report: the bytes stay valid until crash_log_custom_data_release().
// Safe in a signal handler.
inline const crash_log_custom_data* crash_log_custom_data_acquire(const crash_log_writer* writer) {
    __atomic_fetch_add(&writer->custom_data_readers, 1, __ATOMIC_SEQ_CST);
    return __atomic_load_n(&writer->custom_data, __ATOMIC_SEQ_CST);
}
inline void crash_log_custom_data_release(const crash_log_writer* writer) {
    __atomic_fetch_sub(&writer->custom_data_readers, 1, __ATOMIC_SEQ_CST);
}

// Fills the record (zeroing it first). TQCRASH_EINVAL when this process's facts cannot be read.
// Normal threads only: allocates and reads files.
tqcrash_error_t crash_log_writer_init(crash_log_writer* writer, const char* applicationIdentifier,
                                      const char* applicationVersion, const char* marketingVersionOrNull,
                                      std::int32_t symbolicationFlags, bool userRequested);

// Records the uncaught exception that is about to end the process; a second call is a fatal error.
// A null reason is stored as the empty text.
void tqcrash_log_writer_set_exception(crash_log_writer* writer, const char* name, const char* reasonOrNull,
                                      const std::uint64_t* returnAddresses, std::size_t count);

// Replaces the custom data with a copy of `data`; null leaves none. Waits for a crash reading the
// old bytes to finish with them.
void crash_log_writer_set_custom_data(crash_log_writer* writer, const std::vector<std::uint8_t>* data);

// Frees every copy the record holds.
void crash_log_writer_free(crash_log_writer* writer);

} // namespace tqcrash::async
