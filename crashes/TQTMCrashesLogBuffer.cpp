#include "crashes/TQTMCrashesLogBuffer.h"

#include "telemetry/TQTMLogger.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

namespace {

constexpr const char* kLogTag = "TelemetryCrashes";

// What a taken slot holds; never changed once published.
struct BufferedBytes {
    std::vector<uint8_t> log;
    std::string token;
};

struct crashes_buffered_log {
    char logFilePath[PATH_MAX];
    char tokenFilePath[PATH_MAX];
    std::atomic<const BufferedBytes*> bytes{nullptr};
    // Normal threads only.
    const BufferedBytes* retired = nullptr;
    std::string internalId;
    double storedAt = 0;
};

std::array<crashes_buffered_log, TQTMCrashesLogBuffer::kSlotCount> gSlots{};
std::atomic<bool> gCrashed{false};

void copyPath(char (&target)[PATH_MAX], const std::string& path)
{
    // A path too long for the slot leaves it without a file rather than with a wrong one.
    const size_t length = path.size() < PATH_MAX ? path.size() : 0;
    std::memcpy(target, path.data(), length);
    target[length] = '\0';
}

// Publishes the new bytes (or none) and retires the old ones: the bytes replaced last time are
// freed now, unless a crash may be reading them.
void publish(crashes_buffered_log& slot, const BufferedBytes* bytes)
{
    const BufferedBytes* replaced = slot.bytes.exchange(bytes);
    if (!gCrashed.load())
        delete slot.retired;
    slot.retired = replaced;
}

} // namespace

void TQTMCrashesLogBuffer::setSlotPaths(size_t index, const std::string& logFilePath,
                                        const std::string& tokenFilePath)
{
    crashes_buffered_log& slot = gSlots.at(index);
    publish(slot, nullptr);
    copyPath(slot.logFilePath, logFilePath);
    copyPath(slot.tokenFilePath, tokenFilePath);
    slot.internalId.clear();
    slot.storedAt = 0;
}

size_t TQTMCrashesLogBuffer::fill(std::vector<uint8_t> logBytes, std::string encryptedToken,
                                  std::string internalId, double storedAt)
{
    auto store = [&](size_t index) {
        crashes_buffered_log& slot = gSlots[index];
        publish(slot, new BufferedBytes{std::move(logBytes), std::move(encryptedToken)});
        slot.internalId = std::move(internalId);
        slot.storedAt = storedAt;
        return index;
    };
    size_t oldest = 0;
    double oldestTime = std::numeric_limits<double>::max();
    for (size_t index = 0; index < kSlotCount; ++index) {
        if (isSlotFree(index)) {
            TQTMLogVerbose(kLogTag, "Found an empty buffer position.");
            return store(index);
        }
        if (gSlots[index].storedAt < oldestTime) {
            oldest = index;
            oldestTime = gSlots[index].storedAt;
            char line[96];
            std::snprintf(line, sizeof line, "Remembering index %zu for oldest timestamp %f.",
                          index, oldestTime);
            TQTMLogVerbose(kLogTag, line);
        }
    }
    TQTMLogVerbose(kLogTag, "Reached end of buffer. Next step is overwriting the oldest one.");
    store(oldest);
    TQTMLogVerbose(kLogTag, "Overwrote buffered log at index " + std::to_string(oldest) + ".");
    return oldest;
}

std::vector<size_t> TQTMCrashesLogBuffer::freeSlotsWithInternalId(const std::string& internalId)
{
    std::vector<size_t> freed;
    for (size_t index = 0; index < kSlotCount; ++index) {
        crashes_buffered_log& slot = gSlots[index];
        if (slot.internalId.empty() || slot.internalId != internalId)
            continue;
        publish(slot, nullptr);
        slot.internalId.clear();
        slot.storedAt = 0;
        freed.push_back(index);
    }
    return freed;
}

std::string TQTMCrashesLogBuffer::logFilePath(size_t index) { return gSlots.at(index).logFilePath; }

bool TQTMCrashesLogBuffer::isSlotFree(size_t index)
{
    const BufferedBytes* bytes = gSlots.at(index).bytes.load();
    return !bytes || bytes->log.empty();
}

bool TQTMCrashesLogBuffer::crashed() { return gCrashed.load(); }

void crashes_post_crash_callback(siginfo_t*, ucontext_t*, void*)
{
    crashes_log_buffer_save();
}

void crashes_log_buffer_save()
{
    gCrashed.store(true);
    for (crashes_buffered_log& slot : gSlots) {
        const BufferedBytes* bytes = slot.bytes.load();
        if (bytes)
            crashes_buffer_file_write(slot.logFilePath, bytes->log.data(), bytes->log.size());
        else
            crashes_buffer_file_write(slot.logFilePath, nullptr, 0);
        if (bytes && !bytes->token.empty())
            crashes_buffer_file_write(slot.tokenFilePath, bytes->token.data(), bytes->token.size());
    }
}

void crashes_buffer_file_write(const char* path, const void* bytes, size_t length)
{
    if (path[0] == '\0')
        return;
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    if (length > 0)
        (void)!::write(fd, bytes, length);
    ::close(fd);
}
