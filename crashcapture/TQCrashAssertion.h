#pragma once

#include <stdexcept>

namespace tqcrash {

// Thrown when a caller breaks a rule of an engine interface that the engine asserts.
class TQCrashAssertionFailure final : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

} // namespace tqcrash
