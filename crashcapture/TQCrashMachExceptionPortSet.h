#pragma once

#include "crashcapture/TQCrashMachException.h"

#include <memory>
#include <vector>

namespace tqcrash {

class TQCrashMachExceptionPort;

// Exception registrations, both as port objects and as the fixed-size record that the crash path
// reads without allocating. Immutable once made; normal threads only.
class TQCrashMachExceptionPortSet final {
public:
    using Ports = std::vector<std::shared_ptr<const TQCrashMachExceptionPort>>;

    // From port objects, at most EXC_TYPES_COUNT (else TQCrashAssertionFailure).
    explicit TQCrashMachExceptionPortSet(Ports set);
    // From a record whose every valid port carries one send reference: the port objects take
    // those over. A count above EXC_TYPES_COUNT is a TQCrashAssertionFailure.
    explicit TQCrashMachExceptionPortSet(const async::tqcrash_mach_exception_port_set& record);

    const async::tqcrash_mach_exception_port_set& asyncSafeRepresentation() const { return record_; }
    const Ports& set() const { return set_; }
    Ports::const_iterator begin() const { return set_.begin(); }
    Ports::const_iterator end() const { return set_.end(); }

private:
    Ports set_;
    async::tqcrash_mach_exception_port_set record_{};
};

} // namespace tqcrash
