#pragma once

#include <signal.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The crash log buffer: a ring of 60 slots in static storage, each holding a copy of one recent
// log (its keyed archive and its encrypted target token) until the log store has it. When the
// process crashes, the engine's post-crash callback writes every slot to its own file with
// nothing but open, write and close; the next start sends those files again.
//
// Design for the crash path: the file paths are fixed-size text prepared at setup. A slot's bytes
// live in an immutable record published through an atomic pointer; an update publishes a new
// record and keeps the one it replaced alive until the slot's next update, and once the crashed
// flag is up nothing is freed any more. So a crash-time reader that took a pointer, even while a
// normal thread was updating the slot, never follows a freed or half-written one.
//
// Normal threads (setup, fill, free) must be serialised by the caller (the service's lock).
class TQTMCrashesLogBuffer final {
public:
    static constexpr size_t kSlotCount = 60;
    static constexpr const char* kLogExtension = "tmcrasheslogbuffer";
    static constexpr const char* kTokenExtension = "targettoken";

    TQTMCrashesLogBuffer() = delete;

    // Makes slot n free, with the paths of its two files.
    static void setSlotPaths(size_t index, const std::string& logFilePath,
                             const std::string& tokenFilePath);
    // Stores a log's archive, its encrypted token (possibly empty) and the internal id the
    // channel unit gave it: in the first free slot, else over the oldest one (the lowest index
    // among equal times). Answers the slot used.
    static size_t fill(std::vector<uint8_t> logBytes, std::string encryptedToken,
                       std::string internalId, double storedAt);
    // Frees every slot that holds the log of this internal id; answers their indexes.
    static std::vector<size_t> freeSlotsWithInternalId(const std::string& internalId);
    static std::string logFilePath(size_t index);
    static bool isSlotFree(size_t index);
    // Whether crashLogBufferSave() ran in this process.
    static bool crashed();
};

// The engine's post-crash callback: writes the buffer out. Safe in a signal handler.
void crashes_post_crash_callback(siginfo_t* info, ucontext_t* userContext, void* context);
// Sets the crashed flag and writes every slot's log file (empty for a free slot) and, when it has
// a token, its token file. Safe in a signal handler; allocates nothing and takes no lock.
void crashes_log_buffer_save();
// Creates or truncates the file (mode 0644) and writes the bytes with one write call; a file
// that cannot be opened is skipped. Safe in a signal handler.
void crashes_buffer_file_write(const char* path, const void* bytes, size_t length);
