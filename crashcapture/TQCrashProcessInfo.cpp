#include "crashcapture/TQCrashProcessInfo.h"

#include "platform/darwin/ProcessTable.h"

#include <unistd.h>

namespace tqcrash {

std::unique_ptr<TQCrashProcessInfo> TQCrashProcessInfo::currentProcessInfo() {
    return initWithProcessID(getpid());
}

std::unique_ptr<TQCrashProcessInfo> TQCrashProcessInfo::initWithProcessID(pid_t pid) {
    sonvale::darwin::kinfo_proc entry;
    if (sonvale::darwin::sysctlProcessByPid(pid, &entry) != 0) {
        return nullptr;
    }
    std::unique_ptr<TQCrashProcessInfo> info(new TQCrashProcessInfo());
    info->processID_ = pid;
    info->traced_ = (entry.p_flag & sonvale::darwin::P_TRACED) != 0;
    const std::size_t nameLength =
        tqcrash_utf8_valid_prefix_length(entry.p_comm, sonvale::darwin::MAXCOMLEN);
    if (nameLength > 0) {
        info->processName_ = std::string(entry.p_comm, nameLength);
    }
    info->parentProcessID_ = entry.p_ppid;
    info->startTime_ = entry.p_starttime;
    return info;
}

std::size_t tqcrash_utf8_valid_prefix_length(const char* text, std::size_t length) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t valid = 0;
    if (length > 2 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        valid = 3;
    }
    while (valid < length && bytes[valid] != 0) {
        const unsigned char lead = bytes[valid];
        std::size_t continuations = 0;
        if (lead < 0x80) {
            continuations = 0;
        } else if (lead >= 0xC0 && lead <= 0xDF) {
            continuations = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuations = 2;
        } else if (lead >= 0xF0 && lead <= 0xF7) {
            continuations = 3;
        } else {
            break;
        }
        if (valid + continuations >= length) {
            break;
        }
        for (std::size_t i = 1; i <= continuations; ++i) {
            if (bytes[valid + i] < 0x80 || bytes[valid + i] > 0xBF) {
                return valid;
            }
        }
        valid += continuations + 1;
    }
    return valid;
}

} // namespace tqcrash
