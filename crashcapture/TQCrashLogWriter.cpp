#include "crashcapture/TQCrashLogWriter.h"

#include "crashcapture/TQCrashProcessInfo.h"
#include "crashcapture/TQCrashSysctl.h"
#include "platform/darwin/ExecutablePath.h"
#include "platform/system/HostInfo.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/random.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <ctime>
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

// Fills `bytes` from the kernel's random source, then /dev/urandom; false when neither gives them.
bool randomBytes(std::uint8_t* bytes, std::size_t length) {
    std::size_t filled = 0;
    while (filled < length) {
        const ssize_t got = getrandom(bytes + filled, length - filled, GRND_NONBLOCK);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        } else if (got < 0 && errno != EINTR) {
            break;
        }
    }
    if (filled == length) {
        return true;
    }
    const int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    filled = 0;
    while (filled < length) {
        const ssize_t got = read(fd, bytes + filled, length - filled);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    close(fd);
    return filled == length;
}

// A random (version 4) UUID. When the process may use no random source (a sandbox refusing both),
// the time, the process id and an address are mixed instead: unique enough to tell reports apart,
// and the id never waits for randomness that will not come.
void makeReportUuid(std::uint8_t uuid[16]) {
    if (!randomBytes(uuid, 16)) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::uint64_t seed = static_cast<std::uint64_t>(now.tv_sec) * 1000000007u ^
                             static_cast<std::uint64_t>(now.tv_nsec) ^
                             (std::uint64_t{static_cast<std::uint32_t>(getpid())} << 32) ^
                             reinterpret_cast<std::uintptr_t>(uuid);
        for (int half = 0; half < 2; ++half) {
            // splitmix64
            std::uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            z ^= z >> 31;
            std::memcpy(uuid + 8 * half, &z, 8);
        }
    }
    uuid[6] = static_cast<std::uint8_t>((uuid[6] & 0x0F) | 0x40);
    uuid[8] = static_cast<std::uint8_t>((uuid[8] & 0x3F) | 0x80);
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

    const auto system = sonvale::hostinfo::operatingSystemDescription();
    writer->os_version = copyText(system.version);
    writer->os_build = copyText(system.build);
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
    crash_log_custom_data* fresh = nullptr;
    if (data != nullptr) {
        fresh = static_cast<crash_log_custom_data*>(std::malloc(sizeof(crash_log_custom_data) + data->size()));
        if (fresh != nullptr) {
            fresh->length = data->size();
            fresh->bytes = reinterpret_cast<std::uint8_t*>(fresh + 1);
            if (!data->empty()) {
                std::memcpy(fresh->bytes, data->data(), data->size());
            }
        }
    }
    crash_log_custom_data* old = __atomic_exchange_n(&writer->custom_data, fresh, __ATOMIC_SEQ_CST);
    // A crash that began reading the old bytes keeps them until its report is written.
    while (__atomic_load_n(&writer->custom_data_readers, __ATOMIC_SEQ_CST) != 0) {
        sched_yield();
    }
    std::free(old);
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
