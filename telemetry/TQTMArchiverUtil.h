#pragma once

#include "platform/system/KeyedArchiveRegistry.h"

#include <string>
#include <utility>
#include <vector>

// The classes the client's keyed archives may hold, and the old class names that still read.
// Registration happens at start-up, before anything is read; the registry itself is thread-safe.
class TQTMArchiverUtil final {
public:
    TQTMArchiverUtil() = delete;

    static sonvale::KeyedArchiveRegistry& registry();

    template <class T>
    static void addAllowedClass()
    {
        registry().addClass<T>();
    }
    // Old archived name, current class name.
    static void addMigrationClasses(const std::vector<std::pair<std::string, std::string>>& table);
    // Registers every model class of the client core.
    static void addAllowedTelemetryModuleClasses();
};
