#include "platform/system/KeyedArchiveRegistry.h"

namespace sonvale {

void KeyedArchiveRegistry::addClass(std::string name, Factory factory)
{
    std::lock_guard lock(mutex_);
    factories_[std::move(name)] = std::move(factory);
}

void KeyedArchiveRegistry::addAlias(std::string oldName, std::string currentName)
{
    std::lock_guard lock(mutex_);
    aliases_[std::move(oldName)] = std::move(currentName);
}

std::shared_ptr<KeyedArchivable> KeyedArchiveRegistry::create(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    auto factory = factories_.find(name);
    if (factory == factories_.end()) {
        const auto alias = aliases_.find(name);
        if (alias == aliases_.end())
            return nullptr;
        factory = factories_.find(alias->second);
        if (factory == factories_.end())
            return nullptr;
    }
    return factory->second();
}

} // namespace sonvale
