#pragma once

// The classes of the crash service that its keyed archives may hold (the crash log buffer, the
// wrapper exceptions), with the core's classes they contain.
class TQTMCrashesArchiverUtil final {
public:
    TQTMCrashesArchiverUtil() = delete;

    // Registers them with the client's archive registry; called by the service before it reads
    // any archive.
    static void addAllowedCrashesModuleClasses();
};
