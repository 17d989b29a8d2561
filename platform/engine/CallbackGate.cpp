#include "platform/engine/CallbackGate.h"

namespace sonvale::engine {

CallbackGate::Call::Call(CallbackGate& gate) : gate_(gate)
{
    std::lock_guard lock(gate_.mutex_);
    target_ = gate_.target_;
    ++gate_.runningCalls_[std::this_thread::get_id()];
}

CallbackGate::Call::~Call()
{
    std::lock_guard lock(gate_.mutex_);
    auto it = gate_.runningCalls_.find(std::this_thread::get_id());
    if (--it->second == 0)
        gate_.runningCalls_.erase(it);
    gate_.idle_.notify_all();
}

void CallbackGate::replace(Target target)
{
    std::unique_lock lock(mutex_);
    target_ = target;
    const auto self = std::this_thread::get_id();
    idle_.wait(lock, [&] {
        return runningCalls_.empty() || (runningCalls_.size() == 1 && runningCalls_.begin()->first == self);
    });
}

} // namespace sonvale::engine
