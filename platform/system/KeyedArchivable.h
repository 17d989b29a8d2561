#pragma once

#include <string_view>

namespace sonvale {

class KeyedArchiver;
class KeyedUnarchiver;

// An object that can be written to and read back from a keyed archive. Its class name is recorded
// in the archive and must be registered with the reading KeyedArchiveRegistry, which creates the
// empty object that initWithCoder() then fills.
class KeyedArchivable {
public:
    virtual ~KeyedArchivable() = default;

    virtual std::string_view archiveClassName() const = 0;
    virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;
    // Reads the fields written by encodeWithCoder(). A value of the wrong kind marks the
    // unarchiver failed, which rejects the whole archive.
    virtual void initWithCoder(KeyedUnarchiver& coder) = 0;
};

} // namespace sonvale
