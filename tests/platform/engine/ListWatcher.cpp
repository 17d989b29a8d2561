#include "tests/platform/engine/ListWatcher.h"

#include <algorithm>

namespace sonvale::test {

ListWatcher::ListWatcher(TQKitConversionList* list) : list_(list)
{
    TQKitConversionListSetCallback(list_, &ListWatcher::callback, this);
}

ListWatcher::~ListWatcher()
{
    TQKitConversionListSetCallback(list_, nullptr, nullptr);
}

int ListWatcher::callback(uint32_t type, void* data, void* context)
{
    auto* self = static_cast<ListWatcher*>(context);
    {
        std::lock_guard lock(self->mutex_);
        ++self->counts_[type];
        if (type == 15)
            self->titles_.push_back(*static_cast<TQKitTitleRecord*>(data));
    }
    switch (type) {
    case 0:
        if (self->progress)
            self->progress(*static_cast<double*>(data));
        return 1;
    case 1: {
        const std::string name = static_cast<const char*>(data);
        {
            std::lock_guard lock(self->mutex_);
            self->asked_.push_back(name);
        }
        return !self->accept || self->accept(name) ? 1 : 0;
    }
    case 2:
    case 3: {
        std::lock_guard lock(self->mutex_);
        self->states_.push_back(*static_cast<int32_t*>(data));
        self->changed_.notify_all();
        return 1;
    }
    case 16:
    case 17:
        if (self->tags)
            self->tags(type, *static_cast<TQKitTagList*>(data));
        return 1;
    default:
        return 1;
    }
}

std::vector<int32_t> ListWatcher::states() const
{
    std::lock_guard lock(mutex_);
    return states_;
}

std::vector<std::string> ListWatcher::askedToAccept() const
{
    std::lock_guard lock(mutex_);
    return asked_;
}

int ListWatcher::count(uint32_t type) const
{
    std::lock_guard lock(mutex_);
    auto it = counts_.find(type);
    return it == counts_.end() ? 0 : it->second;
}

std::vector<TQKitTitleRecord> ListWatcher::titles() const
{
    std::lock_guard lock(mutex_);
    return titles_;
}

bool ListWatcher::waitFinished(std::chrono::seconds limit)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] {
        return std::find(states_.begin(), states_.end(), TQKitConversionList::Finished) != states_.end();
    });
}

} // namespace sonvale::test
