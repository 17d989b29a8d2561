#include "crashcapture/TQCrashLogWriter.h"

#include "crashcapture/TQCrashProcessInfo.h"
#include "crashcapture/TQCrashSysctl.h"
#include "platform/darwin/ExecutablePath.h"
#include "platform/darwin/OperatingSystemVersion.h"

#include <sys/random.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tqcrash::async {

namespace {

crash_log_text copyText(const char* text) {
    if (text == nullptr) {
        return {0, nullptr};
    }
    return {std::strlen(text), strdup(text)};
}

crash_log_text copyText(const std::string& text) {
    return copyText(text.c_str());
}

void freeText(crash_log_text* text) {
    std::free(text->text);
    *text = {0, nullptr};
}

// A random (version 4) UUID.
void makeReportUuid(std::uint8_t uuid[16]) {
    std::size_t filled = 0;
    while (filled < 16) {
        const ssize_t got = getrandom(uuid + filled, 16 - filled, 0);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        }
    }
    uuid[6] = static_cast<std::uint8_t>((uuid[6] & 0x0F) | 0x40);
    uuid[8] = static_cast<std::uint8_t>((uuid[8] & 0x3F) | 0x80);
}

std::string versionText(const sonvale::darwin::OperatingSystemVersion& version) {
    std::string text = std::to_string(version.majorVersion) + "." + std::to_string(version.minorVersion);
    if (version.patchVersion > 0) {
        text += "." + std::to_string(version.patchVersion);
    }
    return text;
}

} // namespace

tqcrash_error_t crash_log_writer_init(crash_log_writer* writer, const char* applicationIdentifier,
                                      const char* applicationVersion, const char* marketingVersionOrNull,
                                      std::int32_t symbolicationFlags, bool userRequested) {
    std::memset(writer, 0, sizeof *writer);
    writer->symbolication_flags = symbolicationFlags;
    writer->user_requested = userRequested;
    makeReportUuid(writer->report_uuid);

    writer->app_identifier = copyText(applicationIdentifier);
    writer->app_version = copyText(applicationVersion);
    writer->app_marketing_version = copyText(marketingVersionOrNull);

    const auto process = TQCrashProcessInfo::currentProcessInfo();
    if (!process) {
        return TQCRASH_EINVAL;
    }
    writer->process_id = static_cast<std::uint32_t>(process->processID());
    if (process->processName()) {
        writer->process_name = copyText(*process->processName());
    }
    writer->process_start_time = static_cast<std::uint64_t>(process->startTime().tv_sec);

    std::uint32_t pathSize = 0;
    sonvale::darwin::NSGetExecutablePath(nullptr, &pathSize);
    std::string path(pathSize, '\0');
    if (sonvale::darwin::NSGetExecutablePath(path.data(), &pathSize) == 0) {
        writer->process_path = copyText(path.c_str());
    }

    writer->parent_process_id = static_cast<std::uint32_t>(process->parentProcessID());
    if (const auto parent = TQCrashProcessInfo::initWithProcessID(process->parentProcessID());
        parent && parent->processName()) {
        writer->parent_process_name = copyText(*parent->processName());
    }

    if (char* model = sysctl_string_copy("hw.model")) {
        writer->machine_model = {std::strlen(model), model};
    }
    std::int32_t value = 0;
    if (sysctl_int_read("hw.cputype", &value)) {
        writer->cpu_type = static_cast<std::uint64_t>(static_cast<std::uint32_t>(value));
    }
    if (sysctl_int_read("hw.cpusubtype", &value)) {
        writer->cpu_subtype = static_cast<std::uint64_t>(static_cast<std::uint32_t>(value));
    }
    if (sysctl_int_read("hw.physicalcpu_max", &value)) {
        writer->processor_count = static_cast<std::uint32_t>(value);
    }
    if (sysctl_int_read("hw.logicalcpu_max", &value)) {
        writer->logical_processor_count = static_cast<std::uint32_t>(value);
    }
    writer->native = !(sysctl_int_read("sysctl.proc_native", &value) && value == 0);

    if (char* build = sysctl_string_copy("kern.osversion")) {
        writer->os_build = {std::strlen(build), build};
    }
    writer->os_version = copyText(versionText(sonvale::darwin::operatingSystemVersion()));
    return TQCRASH_ESUCCESS;
}

void tqcrash_log_writer_set_exception(crash_log_writer* writer, const char* name, const char* reasonOrNull,
                                      const std::uint64_t* returnAddresses, std::size_t count) {
    if (writer->uncaught_exception.has_exception) {
        std::fputs("[TQCrashReporter] writer->uncaught_exception.has_exception == false\n", stderr);
        std::abort();
    }
    auto& exception = writer->uncaught_exception;
    exception.has_exception = true;
    exception.name = strdup(name);
    exception.reason = strdup(reasonOrNull != nullptr ? reasonOrNull : "");
    if (count > 0) {
        exception.return_addresses = static_cast<std::uint64_t*>(std::malloc(count * sizeof(std::uint64_t)));
        if (exception.return_addresses != nullptr) {
            std::memcpy(exception.return_addresses, returnAddresses, count * sizeof(std::uint64_t));
            exception.return_address_count = count;
        }
    }
}

void crash_log_writer_set_custom_data(crash_log_writer* writer, const std::vector<std::uint8_t>* data) {
    std::free(writer->custom_data.bytes);
    writer->custom_data = {false, 0, nullptr};
    if (data == nullptr) {
        return;
    }
    writer->custom_data.bytes = static_cast<std::uint8_t*>(std::malloc(data->empty() ? 1 : data->size()));
    if (writer->custom_data.bytes != nullptr) {
        if (!data->empty()) {
            std::memcpy(writer->custom_data.bytes, data->data(), data->size());
        }
        writer->custom_data.length = data->size();
        writer->custom_data.has_custom_data = true;
    }
}

void crash_log_writer_free(crash_log_writer* writer) {
    for (crash_log_text* text : {&writer->os_version, &writer->os_build, &writer->machine_model,
                                 &writer->app_identifier, &writer->app_version,
                                 &writer->app_marketing_version, &writer->process_name,
                                 &writer->process_path, &writer->parent_process_name}) {
        freeText(text);
    }
    auto& exception = writer->uncaught_exception;
    if (exception.has_exception) {
        std::free(exception.name);
        std::free(exception.reason);
        std::free(exception.return_addresses);
        exception = {false, nullptr, nullptr, nullptr, 0};
    }
    crash_log_writer_set_custom_data(writer, nullptr);
}

} // namespace tqcrash::async
