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

    struct {
        bool has_custom_data; // set even for zero bytes
        std::size_t length;
        std::uint8_t* bytes;
    } custom_data;
};

// Fills the record (zeroing it first). TQCRASH_EINVAL when this process's facts cannot be read.
// Normal threads only: allocates and reads files.
tqcrash_error_t crash_log_writer_init(crash_log_writer* writer, const char* applicationIdentifier,
                                      const char* applicationVersion, const char* marketingVersionOrNull,
                                      std::int32_t symbolicationFlags, bool userRequested);

// Records the uncaught exception that is about to end the process; a second call is a fatal error.
// A null reason is stored as the empty text.
void tqcrash_log_writer_set_exception(crash_log_writer* writer, const char* name, const char* reasonOrNull,
                                      const std::uint64_t* returnAddresses, std::size_t count);

// Replaces the custom data with a copy of `data`; null leaves none.
void crash_log_writer_set_custom_data(crash_log_writer* writer, const std::vector<std::uint8_t>* data);

// Frees every copy the record holds.
void crash_log_writer_free(crash_log_writer* writer);

} // namespace tqcrash::async
