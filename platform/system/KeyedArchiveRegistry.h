#pragma once

#include "platform/system/KeyedArchivable.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace sonvale {

// The classes an unarchiver may create, by archived class name, and the old names under which
// earlier versions archived some of them. Anything else in an archive is refused. Safe from any
// thread; registration normally happens once at start-up.
class KeyedArchiveRegistry final {
public:
    using Factory = std::function<std::shared_ptr<KeyedArchivable>()>;

    void addClass(std::string name, Factory factory);
    template <class T>
    void addClass()
    {
        addClass(std::string(T::kArchiveClassName), [] { return std::make_shared<T>(); });
    }
    // Archives that name `oldName` decode into the class registered as `currentName`.
    void addAlias(std::string oldName, std::string currentName);

    // A new empty object of the named class, or nothing when the name is neither registered nor
    // an alias of a registered class.
    std::shared_ptr<KeyedArchivable> create(const std::string& name) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, Factory> factories_;
    std::map<std::string, std::string> aliases_;
};

} // namespace sonvale
